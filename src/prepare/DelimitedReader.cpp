#include "prepare/DelimitedReader.h"

#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

#include <csv.h>

namespace {

// RFC 4180 keeps blanks next to a delimiter as part of the field; libcsv would
// drop them by default.
int noBlanks(unsigned char) {
  return 0;
}

bool isUtf8(const char* data, std::size_t size) {
  static QTextCodec* const utf8 = QTextCodec::codecForMib(106);
  QTextCodec::ConverterState state;
  utf8->toUnicode(data, static_cast<int>(size), &state);
  return state.invalidChars == 0 && state.remainingChars == 0;
}

// libcsv's parser state before any field of a record has begun (its ROW_NOT_BEGUN):
// a record that is fed next starts on the line being fed.
constexpr int kRecordNotBegun = 0;

} // namespace

struct DelimitedReader::Parse {
  explicit Parse(const RecordHandler& handle) : handle(handle) {}

  const RecordHandler& handle;
  std::vector<QByteArray> fields;
  qint64 line = 0;       // the line being fed to the parser
  qint64 recordLine = 0; // the line the current record starts on
  qint64 errorLine = 0;
  QString error; // the first error; once set, nothing more is handled

  void fail(qint64 where, const QString& reason) {
    if (error.isEmpty()) {
      errorLine = where;
      error = reason;
    }
  }
};

DelimitedReader::DelimitedReader(const QString& path, char delimiter)
    : path(path), delimiter(delimiter) {}

void DelimitedReader::fieldEnded(void* data, std::size_t size, void* context) {
  auto* parse = static_cast<Parse*>(context);
  if (!parse->error.isEmpty())
    return;
  const char* bytes = static_cast<const char*>(data);
  if (!isUtf8(bytes, size)) {
    parse->fail(parse->line, "not UTF-8 text");
    return;
  }
  parse->fields.emplace_back(bytes, static_cast<int>(size));
}

void DelimitedReader::recordEnded(int, void* context) {
  auto* parse = static_cast<Parse*>(context);
  QString reason;
  if (parse->error.isEmpty() && !parse->handle(parse->fields, parse->recordLine, reason))
    parse->fail(parse->recordLine, reason);
  parse->fields.clear();
}

bool DelimitedReader::read(const RecordHandler& handle, QString& error) {
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
    error = "Could not open file " + path;
    return false;
  }
  csv_parser parser;
  csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI);
  csv_set_delim(&parser, static_cast<unsigned char>(delimiter));
  csv_set_space_func(&parser, noBlanks);
  Parse parse(handle);
  while (parse.error.isEmpty() && !file.atEnd()) {
    QByteArray chunk = file.readLine();
    ++parse.line;
    if (chunk.isEmpty()) { // a line holds at least its line feed: this is a read error
      parse.fail(parse.line, "could not be read: " + file.errorString());
      break;
    }
    if (parse.line == 1 && chunk.startsWith("\xEF\xBB\xBF"))
      chunk.remove(0, 3);
    if (parser.pstate == kRecordNotBegun)
      parse.recordLine = parse.line;
    const std::size_t size = static_cast<std::size_t>(chunk.size());
    if (csv_parse(&parser, chunk.constData(), size, fieldEnded, recordEnded, &parse) != size)
      parse.fail(parse.line, "a quote inside a field that does not start with one, or text after "
                             "a closing quote (quote such a field and double its quotes)");
  }
  if (parse.error.isEmpty() && csv_fini(&parser, fieldEnded, recordEnded, &parse) != 0)
    parse.fail(parse.recordLine, "a quoted field that starts on this line is never closed");
  csv_free(&parser);
  if (parse.error.isEmpty())
    return true;
  error = path + ", line " + QString::number(parse.errorLine) + ": " + parse.error;
  return false;
}
