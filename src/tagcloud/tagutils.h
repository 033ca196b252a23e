#ifndef TEXTFERRO_TAGUTILS_H
#define TEXTFERRO_TAGUTILS_H

// Tag files: one "tag<TAB>weight" per line, weighted terms of one cluster at one
// time step. The reader, the ranking and the two orderings of tag pairs.

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

class QFile;

using TagMap = QHash<QString, double>;
using TagPair = QPair<QString, double>;

// Reads the tag file that `file` names (passed unopened). Bad lines are reported
// on the debug channel and skipped; an unreadable file gives an empty map.
TagMap loadTags(QFile& file);

// The `top` heaviest tags, heaviest first; -1 gives all tags unsorted.
QList<TagPair> topTags(const TagMap& map, int top);

bool comparePairByWeight(const TagPair& p1, const TagPair& p2);
bool comparePairByTag(const TagPair& p1, const TagPair& p2);

#endif
