#include "TimelineReader.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unordered_set>

namespace timeline {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string trimmed(const std::string& text, std::size_t begin, std::size_t end) {
  while (begin < end && isBlank(text[begin]))
    ++begin;
  while (end > begin && isBlank(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

enum class NumberStatus { Ok, Malformed, OutOfRange };

// A whole decimal number with an optional sign, nothing else.
NumberStatus parseNumber(const std::string& text, int& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size())
    return NumberStatus::Malformed;
  long long magnitude = 0;
  bool overflow = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9')
      return NumberStatus::Malformed;
    if (!overflow) {
      magnitude = magnitude * 10 + (c - '0');
      overflow = magnitude > static_cast<long long>(INT_MAX) + 1;
    }
  }
  const long long signedValue = negative ? -magnitude : magnitude;
  if (overflow || signedValue > INT_MAX || signedValue < INT_MIN)
    return NumberStatus::OutOfRange;
  value = static_cast<int>(signedValue);
  return NumberStatus::Ok;
}

std::string lineMessage(const std::string& path, long long line, const std::string& reason) {
  return path + ", line " + std::to_string(line) + ": " + reason;
}

} // namespace

std::string quoteForMessage(const std::string& text) {
  constexpr std::size_t kShown = 60;
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c >= 0x7f || c == '"' || c == '\\') {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  if (text.size() > kShown)
    out += "...";
  return out + "\"";
}

LineReader::LineReader(const std::string& path) : buffer(kMaxLineLength) {
  if (!isReadableFile(path))
    return;
  in.open(path, std::ios::in | std::ios::binary);
  opened = in.is_open();
}

bool LineReader::next(std::string& line) {
  if (!opened || overlong || !in.good())
    return false;
  in.getline(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  const std::streamsize read = in.gcount();
  if (in.fail() && !in.eof() && read == static_cast<std::streamsize>(buffer.size()) - 1) {
    // The buffer filled up before a line feed came: the line is too long.
    ++number;
    overlong = true;
    return false;
  }
  if (read == 0 && in.eof())
    return false; // nothing after the last line feed
  ++number;
  // gcount() counts the extracted line feed, which getline does not store.
  std::size_t length = static_cast<std::size_t>(read);
  if (!in.eof() && length > 0)
    --length;
  if (length > 0 && buffer[length - 1] == '\r')
    --length;
  line.assign(buffer.data(), length);
  return true;
}

bool isReadableFile(const std::string& path) {
  // Only regular files: opening a named pipe would wait for a writer for ever,
  // and a directory or device is no input file.
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return false;
  std::ifstream probe(path, std::ios::in | std::ios::binary);
  return probe.is_open();
}

bool parseTimelineLine(const std::string& line, Series& series, std::string& error) {
  series.clear();
  const std::size_t colon = line.find(':');
  std::size_t start = colon == std::string::npos ? 0 : colon + 1;
  while (start <= line.size()) {
    std::size_t end = line.find(',', start);
    if (end == std::string::npos)
      end = line.size();
    const std::string item = trimmed(line, start, end);
    start = end + 1;
    if (item.empty())
      continue;

    const std::size_t eq = item.find('=');
    int time = 0, cluster = 0;
    if (eq == std::string::npos || item.find('=', eq + 1) != std::string::npos) {
      error = "invalid timeline item " + quoteForMessage(item) +
              " (expected <time step>=<cluster>, two whole numbers)";
      return false;
    }
    const NumberStatus timeStatus = parseNumber(trimmed(item, 0, eq), time);
    const NumberStatus clusterStatus = parseNumber(trimmed(item, eq + 1, item.size()), cluster);
    if (timeStatus == NumberStatus::Malformed || clusterStatus == NumberStatus::Malformed) {
      error = "invalid timeline item " + quoteForMessage(item) +
              " (expected <time step>=<cluster>, two whole numbers)";
      return false;
    }
    if (timeStatus == NumberStatus::OutOfRange || clusterStatus == NumberStatus::OutOfRange) {
      error = "number out of range in timeline item " + quoteForMessage(item);
      return false;
    }
    if (time < 1) {
      error = "time step below 1 in timeline item " + quoteForMessage(item);
      return false;
    }
    if (time > kMaxTimeStep) {
      error = "time step above the limit of " + std::to_string(kMaxTimeStep) +
              " in timeline item " + quoteForMessage(item);
      return false;
    }
    if (cluster < 1) {
      error = "cluster number below 1 in timeline item " + quoteForMessage(item);
      return false;
    }
    series.emplace_back(time, cluster);
  }

  std::stable_sort(series.begin(), series.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::pair<int, int>> unique;
  unique.reserve(series.size());
  for (const auto& item : series) {
    if (!unique.empty() && unique.back().first == item.first) {
      if (unique.back().second == item.second)
        continue; // the same item twice says nothing new
      error = "time step " + std::to_string(item.first) + " appears with two clusters (" +
              std::to_string(unique.back().second) + " and " + std::to_string(item.second) +
              ") in one series";
      return false;
    }
    unique.push_back(item);
  }
  series.swap(unique);
  return true;
}

bool readTimeline(const std::string& path, std::vector<Series>& allSeries, int& maxTime,
                  std::string& error) {
  LineReader reader(path);
  if (!reader.isOpen()) {
    error = "Could not open file " + path;
    return false;
  }
  maxTime = -1;
  std::string line;
  Series series;
  while (reader.next(line)) {
    std::string reason;
    if (!parseTimelineLine(line, series, reason)) {
      error = lineMessage(path, reader.lineNumber(), reason);
      return false;
    }
    if (series.empty())
      continue;
    maxTime = std::max(maxTime, series.back().first);
    allSeries.push_back(std::move(series));
    series = Series();
  }
  if (reader.tooLong()) {
    error = lineMessage(path, reader.lineNumber(),
                        "line too long (lines must be shorter than " +
                            std::to_string(kMaxLineLength) + " characters)");
    return false;
  }
  return true;
}

long long countDummyNodes(const std::vector<Series>& allSeries) {
  auto key = [](const std::pair<int, int>& item) {
    return static_cast<long long>(item.first) << 32 | static_cast<unsigned int>(item.second);
  };
  long long dummies = 0;
  std::unordered_set<long long> lateFirsts;
  for (const Series& series : allSeries) {
    if (!series.empty() && series.front().first > 1)
      lateFirsts.insert(key(series.front()));
    for (std::size_t i = 1; i < series.size(); ++i)
      dummies += series[i].first - series[i - 1].first - 1;
  }
  // A station that some series reaches from the step before needs no lead-in.
  for (const Series& series : allSeries)
    for (std::size_t i = 1; i < series.size(); ++i)
      lateFirsts.erase(key(series[i]));
  for (long long station : lateFirsts)
    dummies += (station >> 32) - 1;
  return dummies;
}

bool readClusterFile(const std::string& path, int time,
                     std::unordered_map<int, std::unordered_map<int, std::vector<std::string>>>& ids,
                     std::string& error) {
  LineReader reader(path);
  if (!reader.isOpen()) {
    error = "Could not open file " + path;
    return false;
  }
  std::string line;
  while (reader.next(line)) {
    if (reader.lineNumber() > INT_MAX) {
      error = lineMessage(path, reader.lineNumber(), "too many lines");
      return false;
    }
    const int cluster = static_cast<int>(reader.lineNumber());
    std::size_t start = 0;
    std::vector<std::string>* list = nullptr;
    while (start <= line.size()) {
      std::size_t end = line.find(',', start);
      if (end == std::string::npos)
        end = line.size();
      if (end > start) {
        if (list == nullptr)
          list = &ids[cluster][time];
        list->emplace_back(line, start, end - start);
      }
      start = end + 1;
    }
  }
  if (reader.tooLong()) {
    error = lineMessage(path, reader.lineNumber(),
                        "line too long (lines must be shorter than " +
                            std::to_string(kMaxLineLength) + " characters)");
    return false;
  }
  return true;
}

} // namespace timeline
