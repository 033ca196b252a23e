#ifndef TEXTFERRO_TAGCACHE_H
#define TEXTFERRO_TAGCACHE_H

// Finds, reads once and keeps the tag file of every node, and combines the tags
// of a path of nodes into one ranked list. The tag file of node id N is
// tagDirPath/(tagFilePrefix + N + tagFileExtension). Properties and defaults:
// topCount 10 (-1: all tags), tagDirPath "" (working directory), tagFilePrefix "",
// tagFileExtension ".tags". Setters only store; they never clear the cache.

#include "tagcloud/tagutils.h"

#include <QHash>
#include <QObject>
#include <QStringList>

class TagCache : public QObject {
  Q_OBJECT
  Q_PROPERTY(int topCount READ topCount WRITE setTopCount)
  Q_PROPERTY(QString tagDirPath READ tagDirPath WRITE setTagDirPath)
  Q_PROPERTY(QString tagFilePrefix READ tagFilePrefix WRITE setTagFilePrefix)
  Q_PROPERTY(QString tagFileExtension READ tagFileExtension WRITE setTagFileExtension)

public:
  TagCache();

  int topCount() const { return m_topCount; }
  void setTopCount(int top) { m_topCount = top; }
  QString tagDirPath() const { return m_tagDirPath; }
  void setTagDirPath(const QString& path) { m_tagDirPath = path; }
  QString tagFilePrefix() const { return m_tagFilePrefix; }
  void setTagFilePrefix(const QString& prefix) { m_tagFilePrefix = prefix; }
  QString tagFileExtension() const { return m_tagFileExtension; }
  void setTagFileExtension(const QString& ext) { m_tagFileExtension = ext; }

signals:
  void cloudCreated(QList<TagPair>& tags);

public slots:
  void clear();
  void activatePath(const QStringList& nodeIds);
  // At most topCount tags of the path, heaviest first, each weighted by its mean
  // over all nodeIds (repeated and tagless nodes count in the divisor).
  QList<TagPair> buildPath(const QStringList& nodeIds);
  // The heaviest tag of one node, or an empty string. A node whose file gave no
  // tags is not cached here, so its file is looked for again next time.
  QString getTopTag(const QString& nodeId);

private:
  // Reads one node's tag file without touching the cache.
  TagMap loadNode(const QString& nodeId);
  // Reports a missing tag directory; then no file is looked for.
  bool tagDirectoryExists() const;

  QHash<QString, QHash<QString, double>> m_cache;
  int m_topCount = 10;
  QString m_tagDirPath;
  QString m_tagFilePrefix;
  QString m_tagFileExtension = ".tags";
};

#endif
