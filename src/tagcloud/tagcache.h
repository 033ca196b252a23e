#ifndef TEXTFERRO_TAGCACHE_H
#define TEXTFERRO_TAGCACHE_H

// Finds, reads once and keeps the tag file of every node, and combines the tags
// of a path of nodes into one ranked list.

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
  QList<TagPair> buildPath(const QStringList& nodeIds);
  QString getTopTag(const QString& nodeId);

private:
  TagMap loadNode(const QString& nodeId);

  QHash<QString, QHash<QString, double>> m_cache;
  int m_topCount = 10;
  QString m_tagDirPath;
  QString m_tagFilePrefix;
  QString m_tagFileExtension = ".tags";
};

#endif
