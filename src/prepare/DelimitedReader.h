#ifndef TEXTFERRO_DELIMITEDREADER_H
#define TEXTFERRO_DELIMITEDREADER_H

// Reads a delimited text table (CSV, or TSV with TAB as the delimiter) record by
// record with libcsv, by the rules of RFC 4180: a field in double quotes may hold
// the delimiter, line breaks and doubled quotes; a quote anywhere else is an
// error. Records end with LF or CR LF; empty lines are skipped. The file must be
// UTF-8 (a byte order mark at its start is dropped).

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

class DelimitedReader {
public:
  // One record: its fields as raw UTF-8 bytes (checked to be valid UTF-8), and
  // the line it starts on (lines count from 1; a field's line breaks count).
  using RecordHandler =
      std::function<bool(const std::vector<QByteArray>& fields, qint64 line, QString& error)>;

  DelimitedReader(const QString& path, char delimiter);

  // Calls `handle` for every record, the header included, and stops when it
  // returns false. Returns false with "<path>, line <n>: <reason>" in `error` for
  // a file that cannot be read, bad quoting, bytes that are not UTF-8, or the
  // reason the handler gave.
  bool read(const RecordHandler& handle, QString& error);

private:
  struct Parse;
  static void fieldEnded(void* data, std::size_t size, void* parse);
  static void recordEnded(int terminator, void* parse);

  QString path;
  char delimiter;
};

#endif
