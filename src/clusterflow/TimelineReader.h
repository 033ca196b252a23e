#ifndef TEXTFERRO_TIMELINEREADER_H
#define TEXTFERRO_TIMELINEREADER_H

// Readers of the timeline file and the per-time-step cluster files.
//
// Both formats are line based. Lines must be shorter than kMaxLineLength
// characters; a longer line rejects the whole file, and nothing beyond that
// line is read. A line feed ends a line; a carriage return right before it is
// dropped, so files written with CR LF read the same.
//
// Every function reports failure by returning false and filling `error` with a
// one-line message that names the file and line; nothing is printed here.

#include <cstddef>
#include <fstream>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace timeline {

constexpr std::size_t kMaxLineLength = 1000000;

// Largest accepted time step. Every step needs its own pair of cluster files,
// and series that start late or skip steps need one dummy node per missing step.
constexpr int kMaxTimeStep = 100000;

// Largest number of dummy nodes that a timeline may ask for (gaps and lead-ins of
// all series together). The limit keeps memory bounded (a few GB at most) and is
// checked before the graph is built.
constexpr long long kMaxDummyNodes = 20000000;

using Series = std::vector<std::pair<int, int>>; // (time, cluster), sorted by time

// Reads a text file line by line with a bounded buffer.
class LineReader {
public:
  explicit LineReader(const std::string& path);
  bool isOpen() const { return opened; }
  // Reads the next line into `line`. Returns false at the end of the file and
  // when the line is too long (then tooLong() is true).
  bool next(std::string& line);
  bool tooLong() const { return overlong; }
  // Number of the line last returned, counting from 1.
  long long lineNumber() const { return number; }

private:
  std::ifstream in;
  std::vector<char> buffer;
  bool opened = false;
  bool overlong = false;
  long long number = 0;
};

// True when `path` is a regular file that can be opened for reading.
bool isReadableFile(const std::string& path);

// Parses the items of one timeline line ("label: 1=3,2=4,...") into `series`,
// sorted by time. Identical repeated items are kept once; one time step with two
// different clusters, a time step or cluster number below 1, a time step above
// kMaxTimeStep, and anything that is not two integers joined by "=" are errors.
// `error` receives the reason without file or line.
bool parseTimelineLine(const std::string& line, Series& series, std::string& error);

// Reads the whole timeline file. Lines without items are skipped. On success
// `maxTime` is the largest time step found (-1 when there is none).
bool readTimeline(const std::string& path, std::vector<Series>& allSeries, int& maxTime,
                  std::string& error);

// Number of dummy nodes that the graph of the series needs: one per missing time
// step between the items of each series, and a lead-in of one per earlier time step
// for each station of a later step that some series starts at and none reaches
// from the step before (timelineToGraph's default).
long long countDummyNodes(const std::vector<Series>& allSeries);

// Reads one object or feature file of time step `time`: line n lists the
// comma-separated identifiers of cluster n. Appends them to ids[n][time];
// lines without identifiers leave no entry.
bool readClusterFile(const std::string& path, int time,
                     std::unordered_map<int, std::unordered_map<int, std::vector<std::string>>>& ids,
                     std::string& error);

// Renders a piece of input for a message: control and non-ASCII bytes as \xHH,
// cut to a readable length.
std::string quoteForMessage(const std::string& text);

} // namespace timeline

#endif
