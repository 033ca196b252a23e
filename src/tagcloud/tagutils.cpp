#include "tagcloud/tagutils.h"

#include <QFile>

TagMap loadTags(QFile&) {
  return {};
}

QList<TagPair> topTags(const TagMap&, int) {
  return {};
}

bool comparePairByWeight(const TagPair& p1, const TagPair& p2) {
  return p1.second > p2.second;
}

bool comparePairByTag(const TagPair& p1, const TagPair& p2) {
  return p1.first < p2.first;
}
