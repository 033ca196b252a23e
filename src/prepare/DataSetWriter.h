#ifndef TEXTFERRO_DATASETWRITER_H
#define TEXTFERRO_DATASETWRITER_H

// Writes a prepared data set as a data set folder that textferro and
// textferro-export open with one argument:
//   dataset.json                       the manifest (DataSetFolder.h)
//   timeline.txt                       one line per series
//   steps.tsv                          step, first date, last date, documents
//   clusters/step<t>.obj, .feat        per cluster the document ids, the top terms
//   tags/cluster.t<t>.c<c>.tags        per station its heaviest terms and weights
// Everything is written in UTF-8 into a hidden folder beside the target, which is
// renamed into place only when complete: a failed write leaves no trace and never
// damages an earlier folder.

#include "prepare/PreparedDataSet.h"

#include <QString>

struct WriterOptions {
  int topTerms = 10; // terms per cluster in the feature files
  int tags = 20;     // terms per tag file
  bool force = false;
};

class DataSetWriter {
public:
  // Whether `folder` may be written: it must not exist, or be an empty folder, or,
  // with `force`, a data set folder (one holding a manifest). Any other existing
  // folder or file is refused even with `force`, so that a mistyped name cannot
  // wipe unrelated files. Call it before the work starts.
  static bool checkTarget(const QString& folder, bool force, QString& error);

  // Writes `dataSet` to `folder`; false with the file and reason in `error`.
  static bool write(const PreparedDataSet& dataSet, const QString& folder,
                    const WriterOptions& options, QString& error);
};

#endif
