// A table of documents of arbitrary bytes through readDocumentTable, as CSV, TSV
// or JSON Lines after the first byte.

#include "FuzzSupport.h"

#include "prepare/DocumentTable.h"

#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  static const char* const kNames[] = {"documents.csv", "documents.tsv", "documents.jsonl"};
  const QString path =
      QString::fromStdString(fuzz::writeScratch(kNames[data[0] % 3], data + 1, size - 1));
  DocumentTable table;
  QString error;
  if (!readDocumentTable(path, table, error)) {
    fuzz::check(error.startsWith(path) || error.startsWith("Could not open"),
                "errors name the file");
    return 0;
  }
  fuzz::check(!table.documents.empty(), "a table holds documents");
  QSet<QString> ids;
  qint64 line = 1;
  for (const Document& document : table.documents) {
    fuzz::check(!document.id.isEmpty() && !document.id.contains(',') && !document.id.contains('\n'),
                "ids fit the cluster files");
    fuzz::check(document.line >= line, "records in line order");
    line = document.line;
    fuzz::check(table.hasClusters || !ids.contains(document.id), "unique ids");
    ids.insert(document.id);
  }
  return 0;
}
