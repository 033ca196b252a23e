#include "tagcloud/tagutils.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextCodec>

#include <algorithm>
#include <cstring>

namespace {

enum class LineStatus { Read, TooLong, End };

// Reads one line into `line` (line feed dropped) in pieces, so that memory stays
// bounded by kMaxTagLineLength whatever the file holds. The rest of a line that is
// too long is read and thrown away, so the next line starts where it should.
LineStatus readBoundedLine(QFile& file, QByteArray& line) {
  line.clear();
  bool anything = false;
  bool fits = true;
  char chunk[4096];
  for (;;) {
    const qint64 count = file.readLine(chunk, sizeof chunk);
    if (count <= 0)
      break; // end of file, or a read error: either way nothing more comes
    anything = true;
    const bool ended = chunk[count - 1] == '\n';
    const qint64 content = ended ? count - 1 : count;
    if (fits && line.size() + content < kMaxTagLineLength) {
      line.append(chunk, static_cast<int>(content));
    } else if (fits) {
      fits = false;
      line.clear();
      line.squeeze();
    }
    if (ended)
      break;
  }
  if (!anything)
    return LineStatus::End;
  return fits ? LineStatus::Read : LineStatus::TooLong;
}

// Feeds the next bytes of a text to a UTF-8 decoder; false once the text holds an
// invalid sequence. The text is valid UTF-8 when no sequence is left open at its end.
bool stillUtf8(QTextCodec::ConverterState& state, const char* data, int size) {
  QTextCodec::codecForMib(106)->toUnicode(data, size, &state);
  return state.invalidChars == 0;
}

// Whether the whole file is valid UTF-8; reads it to its end.
bool isUtf8(QFile& file) {
  QTextCodec::ConverterState state;
  char chunk[65536];
  qint64 count;
  while ((count = file.read(chunk, sizeof chunk)) > 0)
    if (!stillUtf8(state, chunk, static_cast<int>(count)))
      return false;
  return state.remainingChars == 0;
}

QString decodeUpToNul(const char* data, int size, bool utf8) {
  const void* nul = std::memchr(data, '\0', static_cast<std::size_t>(size));
  const int length = nul ? static_cast<int>(static_cast<const char*>(nul) - data) : size;
  return utf8 ? QString::fromUtf8(data, length) : QString::fromLatin1(data, length);
}

// Reads one line of a tag file (line feed dropped) into `tags`.
void readLine(QByteArray& line, qint64 lineNumber, bool utf8, TagMap& tags,
              QStringList& messages) {
  if (utf8 && lineNumber == 1 && line.startsWith("\xEF\xBB\xBF"))
    line.remove(0, 3); // byte order mark
  const QByteArray trimmed = line.trimmed();
  if (trimmed.isEmpty())
    return;

  const int tab = trimmed.indexOf('\t');
  if (tab < 0 || trimmed.indexOf('\t', tab + 1) >= 0) {
    messages.append("Invalid number of values on line  " + QString::number(lineNumber) + ' ');
    return;
  }
  const QString tag = decodeUpToNul(trimmed.constData(), tab, utf8);
  const QString weightText =
      decodeUpToNul(trimmed.constData() + tab + 1, trimmed.size() - tab - 1, utf8);
  if (tag.isEmpty() || weightText.isEmpty())
    return;

  bool ok = false;
  const double weight = weightText.toDouble(&ok);
  // "nan" and "inf" convert too, but would make the ranking and the path means
  // meaningless: only finite weights count as numbers.
  if (!ok || !qIsFinite(weight)) {
    messages.append("Invalid weight  " + quotedItem(weightText) + "  on line  " +
                    QString::number(lineNumber) + ' ');
    return;
  }
  tags.insert(tag, weight);
}

// The common tag file, smaller than the longest line allowed and without carriage
// returns, in one read: its lines are then exactly what the line-by-line reading
// in text mode would give. Returns false, having read nothing into `tags`, for any
// other file, which then takes the line-by-line way.
bool readWholeFile(QFile& file, TagMap& tags, QStringList& messages) {
  if (!file.open(QIODevice::ReadOnly))
    return false;
  const qint64 size = file.size();
  // One byte more than the size tells a file that grew meanwhile.
  const QByteArray content = size < kMaxTagLineLength ? file.read(size + 1) : QByteArray();
  file.close();
  if (content.isEmpty() || content.size() != size || content.contains('\r'))
    return false;
  QTextCodec::ConverterState state;
  const bool utf8 =
      stillUtf8(state, content.constData(), content.size()) && state.remainingChars == 0;

  qint64 lineNumber = 0;
  for (int from = 0; from < content.size();) {
    int end = content.indexOf('\n', from);
    if (end < 0)
      end = content.size();
    QByteArray line = content.mid(from, end - from);
    readLine(line, ++lineNumber, utf8, tags, messages);
    from = end + 1;
  }
  return true;
}

} // namespace

TagMap loadTags(QFile& file) {
  QStringList messages;
  const TagMap tags = loadTags(file, messages);
  for (const QString& message : qAsConst(messages))
    tagMessage(message);
  return tags;
}

TagMap loadTags(QFile& file, QStringList& messages) {
  TagMap tags;
  // A pipe or device in place of a tag file could block or never end.
  if (!QFileInfo(file.fileName()).isFile())
    return tags;
  if (readWholeFile(file, tags, messages))
    return tags;
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
    return tags;
  // A file that is valid UTF-8 is read as UTF-8, any other as Latin-1: Latin-1
  // text with accented letters is almost never valid UTF-8, and ASCII reads the
  // same either way.
  const bool utf8 = isUtf8(file);
  file.seek(0);

  QByteArray line;
  qint64 lineNumber = 0;
  for (;;) {
    const LineStatus status = readBoundedLine(file, line);
    if (status == LineStatus::End)
      break;
    ++lineNumber;
    if (status == LineStatus::TooLong) {
      messages.append("Line too long on line  " + QString::number(lineNumber) + ' ');
      continue;
    }
    readLine(line, lineNumber, utf8, tags, messages);
  }
  file.close();
  return tags;
}

QList<TagPair> topTags(const TagMap& map, int top) {
  QList<TagPair> tags;
  tags.reserve(map.size());
  for (auto it = map.cbegin(); it != map.cend(); ++it)
    tags.append(TagPair(it.key(), it.value()));
  if (top == -1)
    return tags;

  const int limit = std::clamp(top, 0, tags.size());
  std::partial_sort(tags.begin(), tags.begin() + limit, tags.end(), comparePairByWeight);
  tags.erase(tags.begin() + limit, tags.end());
  return tags;
}

bool comparePairByWeight(const TagPair& p1, const TagPair& p2) {
  return p1.second > p2.second;
}

bool comparePairByTag(const TagPair& p1, const TagPair& p2) {
  return p1.first < p2.first;
}

QString quotedItem(const QString& text) {
  QString quoted;
  quoted.reserve(text.size() + 2);
  quoted += QLatin1Char('"');
  for (const QChar c : text) {
    const ushort code = c.unicode();
    if (code < 0x20 || (code >= 0x7f && code < 0xa0))
      quoted += QString::asprintf("\\x%02X", code);
    else
      quoted += c;
  }
  quoted += QLatin1Char('"');
  return quoted;
}

void tagMessage(const QString& message) {
  qDebug().noquote().nospace() << message;
}
