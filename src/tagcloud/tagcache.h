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

#include <functional>
#include <vector>

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
  // The heaviest tag of each node, in order: the same tags, messages (in the same
  // order) and cache contents as getTopTag called on each in turn, with the files
  // read on several threads. `progress`, if set, is told (done, total) as the
  // nodes are finished, on the calling thread.
  QStringList getTopTags(const QStringList& nodeIds,
                         const std::function<void(int, int)>& progress = {});

private:
  struct NodeRead {
    TagMap tags;
    QStringList messages;
  };

  // Reads one node's tag file without touching the cache.
  TagMap loadNode(const QString& nodeId);
  // The same, keeping the messages; safe to call from several threads at once.
  NodeRead readNode(const QString& nodeId) const;
  // Reads the tag files of nodeIds[from, to) not yet cached, each once, on several
  // threads; `readAt` tells where each node's read is.
  std::vector<NodeRead> readUncached(const QStringList& nodeIds, int from, int to,
                                     QHash<QString, int>& readAt) const;
  // The heaviest tag of a map, or an empty string.
  static QString topTag(const TagMap& tags);
  // Reports a missing tag directory; then no file is looked for.
  bool tagDirectoryExists() const;

  QHash<QString, QHash<QString, double>> m_cache;
  int m_topCount = 10;
  QString m_tagDirPath;
  QString m_tagFilePrefix;
  QString m_tagFileExtension = ".tags";
};

#endif
