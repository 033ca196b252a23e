#include "prepare/TermWeights.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <numeric>

// The stop-word list is a resource of this static library; the linker would drop
// its registration unless something refers to it (outside any namespace).
static void initStopWordResource() {
  Q_INIT_RESOURCE(prepare);
}

namespace {

using WordCounts = std::vector<std::pair<quint32, quint32>>; // (word, count), by word

// Typographic apostrophes would make "don’t" a different word from "don't".
QString normalisedWord(const QStringRef& segment) {
  return segment.toString().toLower().replace(QChar(0x2019), QChar('\''));
}

template <typename Visit>
void forEachWord(const QString& text, const QSet<QString>& stops, Visit visit) {
  QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
  int start = 0;
  while (finder.toNextBoundary() != -1) {
    const int end = finder.position();
    if (finder.boundaryReasons() & QTextBoundaryFinder::EndOfItem) {
      const QStringRef segment = text.midRef(start, end - start);
      const auto letters =
          std::count_if(segment.begin(), segment.end(), [](QChar c) { return c.isLetter(); });
      // A comma inside a word ("abc1,5") would split it in the comma-separated
      // feature files.
      if (letters >= 3 && !segment.contains(',')) {
        QString word = normalisedWord(segment);
        if (!stops.contains(word))
          visit(std::move(word));
      }
    }
    start = end;
  }
}

bool addStopWords(QFile& file, QSet<QString>& words) {
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
    return false;
  while (!file.atEnd()) {
    const QString line = QString::fromUtf8(file.readLine()).trimmed();
    if (line.startsWith('#'))
      continue;
    for (const QString& word : line.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts))
      words.insert(normalisedWord(QStringRef(&word)));
  }
  return true;
}

WordCounts countWords(const QByteArray& text, const QSet<QString>& stops,
                      QHash<QString, quint32>& wordIds) {
  std::vector<quint32> ids;
  forEachWord(QString::fromUtf8(text), stops, [&](QString&& word) {
    auto known = wordIds.constFind(word);
    if (known == wordIds.constEnd())
      known = wordIds.insert(word, static_cast<quint32>(wordIds.size()));
    ids.push_back(*known);
  });
  std::sort(ids.begin(), ids.end());
  WordCounts counts;
  for (std::size_t i = 0; i < ids.size();) {
    std::size_t j = i;
    while (j < ids.size() && ids[j] == ids[i])
      ++j;
    counts.emplace_back(ids[i], static_cast<quint32>(j - i));
    i = j;
  }
  return counts;
}

SparseRow weighRow(const WordCounts& counts, const std::vector<qint64>& termOfWord,
                   const std::vector<double>& idf) {
  SparseRow row;
  double squares = 0;
  for (const auto& [word, count] : counts) {
    const qint64 term = termOfWord[word];
    if (term < 0)
      continue;
    const double weight = (1.0 + std::log(double(count))) * idf[term];
    row.emplace_back(static_cast<quint32>(term), static_cast<float>(weight));
    squares += weight * weight;
  }
  std::sort(row.begin(), row.end());
  const double length = std::sqrt(squares);
  for (auto& entry : row)
    entry.second = static_cast<float>(entry.second / length);
  return row;
}

} // namespace

bool TermWeights::loadStopWords(const QString& extraFile, QSet<QString>& words, QString& error) {
  initStopWordResource();
  QFile shipped(":/textferro/stopwords-en.txt");
  if (!addStopWords(shipped, words)) {
    error = "The stop-word list is missing from the library";
    return false;
  }
  QFile extra(extraFile);
  if (!extraFile.isEmpty() && !addStopWords(extra, words)) {
    error = "Could not open file " + extraFile;
    return false;
  }
  return true;
}

QStringList TermWeights::words(const QString& text, const QSet<QString>& stopWords) {
  QStringList found;
  forEachWord(text, stopWords, [&found](QString&& word) { found << word; });
  return found;
}

bool TermWeights::build(std::vector<QByteArray>& texts, const TermOptions& options,
                        QString& error) {
  QHash<QString, quint32> wordIds;
  std::vector<WordCounts> counts;
  counts.reserve(texts.size());
  for (QByteArray& text : texts) {
    counts.push_back(countWords(text, options.stopWords, wordIds));
    text = QByteArray();
  }

  std::vector<quint32> df(wordIds.size(), 0);
  for (const WordCounts& document : counts)
    for (const auto& entry : document)
      ++df[entry.first];
  const double n = static_cast<double>(texts.size());
  QList<QPair<QString, quint32>> kept;
  for (auto it = wordIds.cbegin(); it != wordIds.cend(); ++it)
    if (df[*it] >= quint32(options.minDf) && df[*it] <= options.maxDf * n)
      kept.append({it.key(), *it});
  if (kept.isEmpty()) {
    error = QString("No word occurs in at least %1 documents and in at most %2 % of them; "
                    "lower --min-df or raise --max-df")
                .arg(options.minDf)
                .arg(options.maxDf * 100);
    return false;
  }
  std::sort(kept.begin(), kept.end());

  std::vector<qint64> termOfWord(wordIds.size(), -1);
  std::vector<double> idf;
  terms.clear();
  for (const auto& [word, id] : kept) {
    termOfWord[id] = terms.size();
    terms << word;
    idf.push_back(std::log((1.0 + n) / (1.0 + df[id])) + 1.0);
  }
  rows.clear();
  rows.reserve(counts.size());
  for (WordCounts& document : counts) {
    rows.push_back(weighRow(document, termOfWord, idf));
    document = WordCounts();
  }
  return true;
}
