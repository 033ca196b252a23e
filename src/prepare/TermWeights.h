#ifndef TEXTFERRO_TERMWEIGHTS_H
#define TEXTFERRO_TERMWEIGHTS_H

// The terms of a document collection and their weights (TF-IDF).
//
// Words come from Unicode word segmentation (QTextBoundaryFinder), in lower
// case; a word counts when it holds three or more letters and is not a stop word
// (the English list shipped in the library, plus any the caller adds). The
// vocabulary holds the words found in at least `minDf` documents and in at most
// the fraction `maxDf` of them. There is one vocabulary and one inverse document
// frequency for all documents, so that weights compare across time steps.
// A document's row weighs each of its terms by (1 + ln tf) * idf, with
// idf = ln((1 + n) / (1 + df)) + 1 over the n documents, and has unit length.

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

using SparseRow = std::vector<std::pair<quint32, float>>; // (term, weight), by term

struct TermOptions {
  int minDf = 5;      // fewest documents a term must occur in
  double maxDf = 0.3; // largest fraction of the documents a term may occur in
  QSet<QString> stopWords;
};

class TermWeights {
public:
  // The shipped English stop words, plus the words of `extraFile` unless it is
  // empty: words separated by blanks or line breaks, UTF-8, lines that start with
  // '#' ignored. Fails with a message naming the file when it cannot be read.
  static bool loadStopWords(const QString& extraFile, QSet<QString>& words, QString& error);
  // The counted words of `text`, in order.
  static QStringList words(const QString& text, const QSet<QString>& stopWords);

  // Weighs the documents' texts (UTF-8), releasing each text once it is counted.
  // Fails when no word meets the document frequency bounds.
  bool build(std::vector<QByteArray>& texts, const TermOptions& options, QString& error);

  QStringList terms;           // the vocabulary, in code unit order; a term's id is its index
  std::vector<SparseRow> rows; // one per text; empty when the text holds no term
};

#endif
