#include "tagcloud/tagutils.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
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

// Whether the whole file is valid UTF-8; reads it to its end.
bool isUtf8(QFile& file) {
  QTextCodec* const utf8 = QTextCodec::codecForMib(106);
  QTextCodec::ConverterState state;
  char chunk[65536];
  qint64 count;
  while ((count = file.read(chunk, sizeof chunk)) > 0) {
    utf8->toUnicode(chunk, static_cast<int>(count), &state);
    if (state.invalidChars > 0)
      return false;
  }
  return state.remainingChars == 0;
}

QString decodeUpToNul(const char* data, int size, bool utf8) {
  const void* nul = std::memchr(data, '\0', static_cast<std::size_t>(size));
  const int length = nul ? static_cast<int>(static_cast<const char*>(nul) - data) : size;
  return utf8 ? QString::fromUtf8(data, length) : QString::fromLatin1(data, length);
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
    if (utf8 && lineNumber == 1 && line.startsWith("\xEF\xBB\xBF"))
      line.remove(0, 3); // byte order mark
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty())
      continue;

    const int tab = trimmed.indexOf('\t');
    if (tab < 0 || trimmed.indexOf('\t', tab + 1) >= 0) {
      messages.append("Invalid number of values on line  " + QString::number(lineNumber) + ' ');
      continue;
    }
    const QString tag = decodeUpToNul(trimmed.constData(), tab, utf8);
    const QString weightText =
        decodeUpToNul(trimmed.constData() + tab + 1, trimmed.size() - tab - 1, utf8);
    if (tag.isEmpty() || weightText.isEmpty())
      continue;

    bool ok = false;
    const double weight = weightText.toDouble(&ok);
    // "nan" and "inf" convert too, but would make the ranking and the path means
    // meaningless: only finite weights count as numbers.
    if (!ok || !qIsFinite(weight)) {
      messages.append("Invalid weight  " + quotedItem(weightText) + "  on line  " +
                 QString::number(lineNumber) + ' ');
      continue;
    }
    tags.insert(tag, weight);
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
