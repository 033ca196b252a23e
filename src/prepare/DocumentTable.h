#ifndef TEXTFERRO_DOCUMENTTABLE_H
#define TEXTFERRO_DOCUMENTTABLE_H

// A table of dated documents, read from CSV (.csv), TSV (.tsv) or JSON Lines
// (.jsonl); the suffix decides. Columns (or keys, in any letter case):
//   id, date, text      required: the documents to be clustered; title optional
//   id, step or date,   a clustering given per time step: a document may have one
//   cluster             row per step; text optional; no clustering is done
// Other columns are ignored. A date is a year, an ISO 8601 date or a date-time
// (see DocumentDate.h); a step is a whole number; a cluster is any label.

#include <QByteArray>
#include <QString>

#include <vector>

struct Document {
  QString id;
  QString date;       // as written, trimmed; empty when the table gives steps
  qint64 dateKey = 0; // milliseconds since 1970-01-01T00:00Z
  qint64 step = 0;    // the given step, in tables with a step column
  QString cluster;    // the given cluster label, in tables with a cluster column
  QByteArray text;    // UTF-8: the title, a line break and the text
  qint64 line = 0;    // line of the table the document starts on
};

struct DocumentTable {
  QString path;
  bool hasClusters = false; // a clustering is given
  bool hasSteps = false;    // ... by steps rather than dates
  bool hasText = false;
  std::vector<Document> documents; // in the table's order
};

// Reads the table at `path` into `out`. Fails with "<path>, line <n>: <reason>"
// (or "<path>: <reason>") in `error` for an unknown suffix, a file that cannot be
// read, bad quoting or JSON, a missing column, an empty or unusable id (ids end
// up in comma-separated cluster files, so they cannot hold commas or line
// breaks), an id used twice in a table of documents, a date or step that does
// not parse, an empty cluster label, or a table without documents.
bool readDocumentTable(const QString& path, DocumentTable& out, QString& error);

// A value of the table for a message: in double quotes, with control characters
// written as \xHH so that a table cannot drive the terminal.
QString quotedValue(const QString& value);

#endif
