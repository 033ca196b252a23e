#ifndef TEXTFERRO_PREPARATION_H
#define TEXTFERRO_PREPARATION_H

// From a table of dated documents to a data set folder: the whole work of
// textferro-prepare, in phases:
//   1. read the table (DocumentTable.h);
//   2. weigh the terms of all documents (TermWeights.h); documents without a
//      vocabulary term are skipped and listed in skipped();
//   3. cut time windows over the documents sorted by date (TimeWindows.h), or take
//      the table's steps;
//   4. cluster each window (WindowClustering.h, windows in parallel), or take the
//      table's clusters: then a document has one cluster per step and there is no
//      window overlap;
//   5. give every cluster its documents and terms (the mean of its documents'
//      rows; a given cluster without terms is described by its label) and group
//      the documents' paths into series (PreparedDataSet.h);
//   6. write the folder (DataSetWriter.h).
// Nothing is written unless every phase succeeds. The same input and options give
// the same folder, whatever the table's format and however many threads run.

#include "prepare/DataSetWriter.h"
#include "prepare/TimeWindows.h"

#include <QString>

#include <functional>
#include <vector>

struct PrepareOptions {
  WindowOptions windows; // --steps 10, --windows count, --overlap 0.5
  QString stopWordsFile; // --stop-words: words added to the English list
  int minDf = 5;         // --min-df
  double maxDf = 0.3;    // --max-df
  int clusters = 0;      // --clusters; 0 chooses from each window's size
  quint64 seed = 1;      // --seed
  WriterOptions writer;  // --top-terms 10, --tags 20, --force
};

struct SkippedDocument {
  QString file;
  qint64 line = 0;
  QString reason;
};

class Preparation {
public:
  // `progress` receives one line per phase and per clustered window; it may be
  // called from worker threads, but never from two at once.
  using Progress = std::function<void(const QString& line)>;
  explicit Preparation(Progress progress = {});

  // Prepares `table` into `folder`. Returns false with a message naming the file
  // (and line) in `error`; nothing is written then.
  bool run(const QString& table, const QString& folder, const PrepareOptions& options,
           QString& error);
  const std::vector<SkippedDocument>& skipped() const { return skippedDocuments; }

private:
  struct Work;
  bool weighTerms(Work& work, QString& error);
  void cutWindows(Work& work);
  bool clusterWindows(Work& work, QString& error);
  bool checkClusterCounts(const Work& work, QString& error) const;
  bool takeGivenClusters(Work& work, QString& error);
  bool takeGivenClusters(Work& work, std::size_t window, QString& error);
  void describeStations(Work& work);
  void report(const QString& line);
  void reportPhase(const QString& what, qint64 milliseconds, std::size_t documents);

  Progress progress;
  std::vector<SkippedDocument> skippedDocuments;
};

#endif
