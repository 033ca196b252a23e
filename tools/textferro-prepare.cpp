// From a table of dated documents to a data set folder that textferro and
// textferro-export open with one argument (see src/prepare/Preparation.h).
//
//   textferro-prepare [options] <documents> <output folder>

#include "dataset/ProgramInfo.h"
#include "prepare/Preparation.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <limits>

namespace {

void printError(const QString& text) {
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

struct NumberOption {
  const char* name;
  double low, high;
  bool whole;
  QString range;
};

// Reads option `o` when given; refuses a value outside its range by name.
bool readNumber(const QCommandLineParser& parser, const NumberOption& o, double& value) {
  if (!parser.isSet(o.name))
    return true;
  bool ok = false;
  const QString text = parser.value(o.name);
  const double number = o.whole ? double(text.toLongLong(&ok)) : text.toDouble(&ok);
  if (!ok || number < o.low || number > o.high) {
    printError(QString("--%1 takes %2, not \"%3\"").arg(o.name, o.range, text));
    return false;
  }
  value = number;
  return true;
}

bool readOptions(const QCommandLineParser& parser, PrepareOptions& options) {
  double steps = options.windows.steps, overlap = options.windows.overlap;
  double minDf = options.minDf, maxDf = options.maxDf, clusters = options.clusters;
  double seed = double(options.seed), topTerms = options.writer.topTerms;
  double tags = options.writer.tags;
  const double most = 1e9;
  const bool read =
      readNumber(parser, {"steps", 1, 1000, true, "a whole number from 1 to 1000"}, steps) &&
      readNumber(parser, {"overlap", 0, 0.95, false, "a fraction from 0 to 0.95"}, overlap) &&
      readNumber(parser, {"min-df", 1, most, true, "a whole number from 1"}, minDf) &&
      readNumber(parser, {"max-df", 1e-9, 1, false, "a fraction above 0, up to 1"}, maxDf) &&
      readNumber(parser, {"clusters", 1, 10000, true, "a whole number from 1 to 10000"},
                 clusters) &&
      readNumber(parser, {"seed", 0, 9e15, true, "a whole number from 0"}, seed) &&
      readNumber(parser, {"top-terms", 1, most, true, "a whole number from 1"}, topTerms) &&
      readNumber(parser, {"tags", 1, most, true, "a whole number from 1"}, tags);
  if (!read)
    return false;
  const QString windows = parser.value("windows");
  if (windows != "count" && windows != "calendar") {
    printError("--windows takes count or calendar, not \"" + windows + "\"");
    return false;
  }
  options.windows = {int(steps), windows == "count" ? WindowMode::Count : WindowMode::Calendar,
                     overlap};
  options.stopWordsFile = parser.value("stop-words");
  options.minDf = int(minDf);
  options.maxDf = maxDf;
  options.clusters = int(clusters);
  options.seed = quint64(seed);
  options.writer = {int(topTerms), int(tags), parser.isSet("force")};
  return true;
}

void declareOptions(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      "Groups dated documents into time steps and clusters and writes a data set folder that "
      "textferro and textferro-export open with one argument.\n"
      "Columns (or JSON keys): id, date, text, and optionally title; or, for a clustering you "
      "already have, id, date or step, cluster, and optionally text.");
  parser.addPositionalArgument("documents", "Table of documents: .csv, .tsv or .jsonl.");
  parser.addPositionalArgument("output folder", "Folder to write; must be new or empty.");
  parser.addOptions({
      {"steps", "Number of time steps (default 10).", "N", "10"},
      {"windows",
       "Time windows of equal numbers of documents (count, the default) or of equal "
       "spans of time (calendar).",
       "count|calendar", "count"},
      {"overlap",
       "Share of a window that the next one overlaps (default 0.5: most documents "
       "are in two consecutive steps). A given clustering has no overlap.",
       "F", "0.5"},
      {"stop-words",
       "Words to ignore besides the English stop words: a UTF-8 file of words "
       "separated by blanks or line breaks (default: none).",
       "FILE"},
      {"min-df", "Fewest documents a term must occur in (default 5).", "N", "5"},
      {"max-df", "Largest share of the documents a term may occur in (default 0.3).", "F", "0.3"},
      {"clusters", "Clusters per time step (default: from the step's size, 8 to 20).", "K"},
      {"seed", "Seed of the clustering (default 1); the same seed gives the same folder.", "N",
       "1"},
      {"top-terms", "Terms per cluster in the feature files (default 10).", "N", "10"},
      {"tags", "Terms per tag file (default 20).", "N", "20"},
      {"force", "Replace an existing data set folder."},
      {"quiet", "Print no progress."},
  });
  parser.addHelpOption();
  parser.addVersionOption();
}

void printSkipped(const std::vector<SkippedDocument>& skipped) {
  if (skipped.empty())
    return;
  printError(QString("Skipped %1 document%2 without usable words:")
                 .arg(skipped.size())
                 .arg(skipped.size() == 1 ? "" : "s"));
  const std::size_t listed = std::min<std::size_t>(skipped.size(), 10);
  for (std::size_t i = 0; i < listed; ++i)
    printError(QString("  %1, line %2").arg(skipped[i].file).arg(skipped[i].line));
  if (listed < skipped.size())
    printError(QString("  and %1 more").arg(skipped.size() - listed));
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QCoreApplication::setApplicationVersion(textferroVersion());
  QCommandLineParser parser;
  declareOptions(parser);
  if (!parser.parse(application.arguments())) {
    printError("textferro-prepare: " + parser.errorText() + "\nSee textferro-prepare --help.");
    return 1;
  }
  if (parser.isSet("help"))
    parser.showHelp(0);
  if (parser.isSet("version"))
    parser.showVersion();
  if (parser.positionalArguments().size() != 2) {
    printError("textferro-prepare: give the table of documents and the output folder.\n"
               "See textferro-prepare --help.");
    return 1;
  }
  PrepareOptions options;
  if (!readOptions(parser, options))
    return 1;
  const bool quiet = parser.isSet("quiet");
  Preparation preparation([quiet](const QString& line) {
    if (!quiet)
      printError(line);
  });
  QString error;
  const bool prepared = preparation.run(parser.positionalArguments()[0],
                                        parser.positionalArguments()[1], options, error);
  printSkipped(preparation.skipped());
  if (!prepared)
    printError(error);
  return prepared ? 0 : 1;
}
