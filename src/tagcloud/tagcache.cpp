#include "tagcloud/tagcache.h"

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

QList<TagPair> TagCache::buildPath(const QStringList&) {
  return {};
}

QString TagCache::getTopTag(const QString&) {
  return {};
}

TagMap TagCache::loadNode(const QString&) {
  return {};
}
