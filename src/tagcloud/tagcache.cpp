#include "tagcloud/tagcache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TagCache::TagCache() = default;

void TagCache::clear() {
  m_cache.clear();
  QList<TagPair> empty;
  emit cloudCreated(empty);
}

void TagCache::activatePath(const QStringList& nodeIds) {
  QList<TagPair> tags = buildPath(nodeIds);
  emit cloudCreated(tags);
}

QList<TagPair> TagCache::buildPath(const QStringList& nodeIds) {
  if (!tagDirectoryExists())
    return {};

  // The entries are implicitly shared with the cache: collecting them copies no tags.
  QList<TagMap> active;
  active.reserve(nodeIds.size());
  for (const QString& nodeId : nodeIds) {
    auto entry = m_cache.find(nodeId);
    if (entry == m_cache.end()) {
      // A node without tags is entered too, so that its file is looked for only once.
      entry = m_cache.insert(nodeId, loadNode(nodeId));
    } else {
      tagMessage("Using cached tag information for node  " + quotedItem(nodeId) + ' ');
    }
    active.append(entry.value());
  }
  tagMessage("Using " + QString::number(active.size()) + " tag cloud(s) ");

  if (active.isEmpty())
    return {};
  if (active.size() == 1)
    return topTags(active.first(), m_topCount);

  // The mean over the whole path: a node without a tag counts as weight 0 for it,
  // and a node listed twice counts twice.
  TagMap comboMap;
  for (const TagMap& tags : qAsConst(active)) {
    for (auto tag = tags.cbegin(); tag != tags.cend(); ++tag)
      comboMap[tag.key()] += tag.value();
  }
  const double count = active.size();
  for (auto sum = comboMap.begin(); sum != comboMap.end(); ++sum)
    sum.value() /= count;
  return topTags(comboMap, m_topCount);
}

QString TagCache::getTopTag(const QString& nodeId) {
  if (!tagDirectoryExists())
    return QString();

  auto entry = m_cache.constFind(nodeId);
  if (entry == m_cache.constEnd()) {
    const TagMap tags = loadNode(nodeId);
    // Not cached when empty: a later request looks for the file again.
    if (tags.isEmpty())
      return QString();
    entry = m_cache.insert(nodeId, tags);
  }
  if (entry.value().isEmpty())
    return QString();
  return topTags(entry.value(), 1).first().first;
}

TagMap TagCache::loadNode(const QString& nodeId) {
  const QString path = QDir(m_tagDirPath).filePath(m_tagFilePrefix + nodeId + m_tagFileExtension);
  tagMessage("Reading tags for node " + quotedItem(nodeId) + " from  " + quotedItem(path) + ' ');
  if (!QFileInfo::exists(path)) {
    tagMessage("Tag file not found " + quotedItem(path) + ' ');
    return TagMap();
  }
  QFile file(path);
  const TagMap tags = loadTags(file);
  if (tags.isEmpty())
    tagMessage("Failed to read any tags from file " + quotedItem(path) + ' ');
  return tags;
}

bool TagCache::tagDirectoryExists() const {
  if (QDir(m_tagDirPath).exists())
    return true;
  tagMessage("Tag file directory not found " + quotedItem(m_tagDirPath) + ' ');
  return false;
}
