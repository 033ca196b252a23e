#ifndef TEXTFERRO_TAGUTILS_H
#define TEXTFERRO_TAGUTILS_H

// Tag files: one "tag<TAB>weight" per line, weighted terms of one cluster at one
// time step. The reader, the ranking and the two orderings of tag pairs.

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QFile;

using TagMap = QHash<QString, double>;
using TagPair = QPair<QString, double>;

// Tag file lines (line feed excluded) of this many bytes or more are reported and
// skipped unread, so that a file without line feeds never fills the memory. The
// same bound as the loader's other input files.
constexpr qint64 kMaxTagLineLength = 1000000;

// Reads the tag file that `file` names (passed unopened; closed again on return).
// Lines: trimmed of blanks, TAB, LF, VT, FF and CR; empty ones skipped silently;
// exactly two TAB-separated fields, each decoded up to its first NUL as UTF-8 when
// the whole file is valid UTF-8 (a leading byte order mark is dropped), else as Latin-1;
// a finite decimal weight; the last line of a tag wins. Bad lines are reported on
// the debug channel with their line number and skipped. A file that cannot be
// opened, or is not a regular file, gives an empty map without a message.
TagMap loadTags(QFile& file);
// The same, with the messages appended to `messages` in order instead of emitted:
// several threads may read files at once and emit their messages later.
TagMap loadTags(QFile& file, QStringList& messages);

// The `top` heaviest tags, heaviest first (equal weights in no defined order);
// -1 gives all tags in the map's order; below -1 gives none.
QList<TagPair> topTags(const TagMap& map, int top);

// True when p1 is heavier than p2: sorting puts the heaviest first.
bool comparePairByWeight(const TagPair& p1, const TagPair& p2);
// True when p1's tag comes first by UTF-16 code units (case-sensitive, no locale).
bool comparePairByTag(const TagPair& p1, const TagPair& p2);

// Messages of the tag classes on the debug channel, one line each, keep the layout
// they always had: items separated by one blank, text items in double quotes, one
// blank after the last item. quotedItem() gives such a text item, with control
// characters written as \xHH so that file contents cannot drive the terminal.
QString quotedItem(const QString& text);
// Emits `message` on the debug channel exactly as composed, without QDebug's own
// quoting, escaping and spacing of items.
void tagMessage(const QString& message);

#endif
