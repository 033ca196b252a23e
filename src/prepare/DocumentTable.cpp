#include "prepare/DocumentTable.h"

#include "prepare/DelimitedReader.h"
#include "prepare/DocumentDate.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

enum Column { Id, Date, Step, Cluster, Title, Text, ColumnCount };
const char* const kColumnNames[ColumnCount] = {"id", "date", "step", "cluster", "title", "text"};

// One row of the table by column, the same for every format; absent values are null.
using Row = std::array<QByteArray, ColumnCount>;

int columnOf(const QString& name) {
  for (int column = 0; column < ColumnCount; ++column)
    if (name.trimmed().compare(kColumnNames[column], Qt::CaseInsensitive) == 0)
      return column;
  return -1;
}

QString quoted(const char* name) {
  return QString("\"%1\"").arg(name);
}

// Decides from the columns present what kind of table this is.
bool setShape(const std::array<bool, ColumnCount>& present, DocumentTable& table, QString& reason) {
  table.hasClusters = present[Cluster];
  table.hasSteps = table.hasClusters && present[Step];
  table.hasText = present[Text];
  const char* missing = !present[Id]                                            ? kColumnNames[Id]
                        : table.hasClusters && !present[Date] && !present[Step] ? "date or step"
                        : !table.hasClusters && !present[Date]                  ? kColumnNames[Date]
                        : !table.hasClusters && !present[Text]                  ? kColumnNames[Text]
                                                                                : nullptr;
  if (missing)
    reason = QString("missing required column %1 (a table needs id, date and text, or id, date "
                     "or step, and cluster)")
                 .arg(quoted(missing));
  return missing == nullptr;
}

bool checkId(const QString& id, QString& reason) {
  if (id.isEmpty())
    reason = "empty id";
  else if (id.contains(',') || id.contains('\n') || id.contains('\r'))
    reason = QString("the id %1 holds a comma or a line break, which the cluster files cannot "
                     "hold")
                 .arg(quotedValue(id));
  return reason.isEmpty();
}

bool makeDocument(const Row& row, qint64 line, const DocumentTable& table, Document& document,
                  QString& reason) {
  const auto text = [&row](Column column) { return QString::fromUtf8(row[column]).trimmed(); };
  for (Column required : {Id, table.hasSteps ? Step : Date, table.hasClusters ? Cluster : Text}) {
    if (row[required].isNull()) {
      reason = "missing " + quoted(kColumnNames[required]);
      return false;
    }
  }
  document.id = text(Id);
  document.line = line;
  if (!checkId(document.id, reason))
    return false;
  if (table.hasSteps) {
    bool ok = false;
    document.step = text(Step).toLongLong(&ok);
    if (!ok) {
      reason = QString("the step %1 is not a whole number").arg(quotedValue(text(Step)));
      return false;
    }
  } else {
    document.date = text(Date);
    if (!parseDocumentDate(document.date, document.dateKey)) {
      reason = QString("the date %1 is not a year, an ISO 8601 date or a date-time")
                   .arg(quotedValue(document.date));
      return false;
    }
  }
  if (table.hasClusters) {
    document.cluster = text(Cluster);
    if (document.cluster.isEmpty()) {
      reason = "empty cluster";
      return false;
    }
  }
  document.text = row[Title].isEmpty() ? row[Text] : row[Title] + '\n' + row[Text];
  return true;
}

// Adds a row as a document; ids must be unique unless a clustering is given, where
// a document has one row per step.
bool addRow(const Row& row, qint64 line, DocumentTable& table, QHash<QString, qint64>& idLines,
            QString& reason) {
  Document document;
  if (!makeDocument(row, line, table, document, reason))
    return false;
  if (!table.hasClusters) {
    const auto seen = idLines.constFind(document.id);
    if (seen != idLines.constEnd()) {
      reason =
          QString("the id %1 is already used on line %2").arg(quotedValue(document.id)).arg(*seen);
      return false;
    }
    idLines.insert(document.id, line);
  }
  table.documents.push_back(std::move(document));
  return true;
}

bool readDelimited(const QString& path, char delimiter, DocumentTable& table, QString& error) {
  std::array<int, ColumnCount> indexOf;
  indexOf.fill(-1);
  bool headerRead = false;
  std::size_t columns = 0;
  QHash<QString, qint64> idLines;
  const auto handle = [&](const std::vector<QByteArray>& fields, qint64 line, QString& reason) {
    if (std::all_of(fields.begin(), fields.end(),
                    [](const QByteArray& field) { return field.trimmed().isEmpty(); }))
      return true;
    if (!headerRead) {
      headerRead = true;
      columns = fields.size();
      std::array<bool, ColumnCount> present{};
      for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
        const int column = columnOf(QString::fromUtf8(fields[i]));
        if (column >= 0 && present[column]) {
          reason = "the column " + quoted(kColumnNames[column]) + " appears twice";
          return false;
        }
        if (column >= 0) {
          present[column] = true;
          indexOf[column] = i;
        }
      }
      return setShape(present, table, reason);
    }
    // A row with more or fewer fields than the header has lost its alignment (a
    // delimiter inside an unquoted field, say): its values cannot be trusted.
    if (fields.size() != columns) {
      reason = QString("%1 fields where the header has %2").arg(fields.size()).arg(columns);
      return false;
    }
    Row row;
    for (int column = 0; column < ColumnCount; ++column)
      if (indexOf[column] >= 0)
        row[column] = fields[indexOf[column]].isNull() ? QByteArray("") : fields[indexOf[column]];
    return addRow(row, line, table, idLines, reason);
  };
  return DelimitedReader(path, delimiter).read(handle, error);
}

// A JSON value as the text a CSV cell would hold: numbers without a needless
// fraction, so that 1998 and "1998" are the same date.
bool jsonText(const QJsonValue& value, QByteArray& text) {
  if (value.isString()) {
    text = value.toString().toUtf8();
  } else if (value.isDouble()) {
    const double number = value.toDouble();
    text = std::abs(number) < 9007199254740992.0 && number == std::floor(number)
               ? QByteArray::number(static_cast<qint64>(number))
               : QByteArray::number(number, 'g', 17);
  } else {
    return value.isNull() || value.isUndefined();
  }
  return true;
}

bool readJsonLines(const QString& path, DocumentTable& table, QString& error) {
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
    error = "Could not open file " + path;
    return false;
  }
  QHash<QString, qint64> idLines;
  bool shapeKnown = false;
  QString reason;
  qint64 line = 0;
  while (reason.isEmpty() && !file.atEnd()) {
    QByteArray content = file.readLine();
    ++line;
    if (line == 1 && content.startsWith("\xEF\xBB\xBF"))
      content.remove(0, 3);
    if (content.trimmed().isEmpty())
      continue;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(content, &parseError);
    if (!document.isObject()) {
      reason = parseError.error != QJsonParseError::NoError
                   ? parseError.errorString() + " at offset " + QString::number(parseError.offset)
                   : "not a JSON object";
      break;
    }
    const QJsonObject object = document.object();
    Row row;
    std::array<bool, ColumnCount> present{};
    for (auto it = object.begin(); it != object.end() && reason.isEmpty(); ++it) {
      const int column = columnOf(it.key());
      if (column < 0)
        continue;
      if (!jsonText(it.value(), row[column]))
        reason = quoted(kColumnNames[column]) + " must be a text or a number";
      present[column] = !row[column].isNull();
    }
    if (reason.isEmpty() && !shapeKnown) {
      shapeKnown = true;
      setShape(present, table, reason);
    }
    if (reason.isEmpty())
      addRow(row, line, table, idLines, reason);
  }
  if (!reason.isEmpty())
    error = path + ", line " + QString::number(line) + ": " + reason;
  return reason.isEmpty();
}

} // namespace

QString quotedValue(const QString& value) {
  QString quoted = "\"";
  for (const QChar c : value) {
    const ushort code = c.unicode();
    quoted += code < 0x20 || (code >= 0x7f && code < 0xa0) ? QString::asprintf("\\x%02X", code)
                                                           : QString(c);
  }
  return quoted + '"';
}

bool readDocumentTable(const QString& path, DocumentTable& out, QString& error) {
  DocumentTable table;
  table.path = path;
  const QString suffix = QFileInfo(path).suffix().toLower();
  bool read = false;
  if (suffix == "csv" || suffix == "tsv")
    read = readDelimited(path, suffix == "csv" ? ',' : '\t', table, error);
  else if (suffix == "jsonl")
    read = readJsonLines(path, table, error);
  else
    error = path + ": the document table must end in .csv, .tsv or .jsonl";
  if (read && table.documents.empty()) {
    error = path + ": no documents";
    read = false;
  }
  if (read)
    out = std::move(table);
  return read;
}
