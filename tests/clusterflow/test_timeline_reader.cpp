#include "clusterflow/TimelineReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

using timeline::Series;

namespace {

std::string writeTemp(const std::string& name, const std::string& content) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

// The error for the line, empty when it parses into `series`.
std::string parse(const std::string& line, Series& series) {
  std::string error;
  const bool parsed = timeline::parseTimelineLine(line, series, error);
  EXPECT_EQ(parsed, error.empty()) << line;
  return error;
}

} // namespace

// A repeated identical item counts once.
TEST(TimelineLine, LabelsBlanksRepeatsAndEmptyItemsAreAccepted) {
  const std::pair<std::string, Series> cases[] = {{"4: 3=2, 1=7, 2=5", {{1, 7}, {2, 5}, {3, 2}}},
                                                  {",1=3,,2=4,", {{1, 3}, {2, 4}}},
                                                  {" 1 = 3 ,2=4\r", {{1, 3}, {2, 4}}},
                                                  {"+2=+5", {{2, 5}}},
                                                  {"1=3,2=4,1=3", {{1, 3}, {2, 4}}},
                                                  {"100000=1", {{100000, 1}}},
                                                  {"", {}},
                                                  {"series 9:", {}}};
  for (const auto& [line, expected] : cases) {
    Series series;
    EXPECT_EQ(parse(line, series), "");
    EXPECT_EQ(series, expected) << line;
  }
}

// Only the first colon ends the label.
TEST(TimelineLine, BadItemsAndValuesAreRejectedByName) {
  std::vector<std::pair<std::string, std::string>> cases{
      {"a:b: 1=3", "\"b: 1=3\""},
      {"99999999999=1", "out of range"},
      {"1=\x01\x80", "\\x01\\x80"},
      {"0=3", "time step below 1"},
      {"2=0", "cluster number below 1"},
      {"100001=1", "limit of 100000"},
      {"1=3,2=4,2=5", "time step 2 appears with two clusters (4 and 5)"}};
  for (std::string bad : {"3=", "=4", "1=2=3", "1=b", "3", "1.5=2", "0x1=2", "1 2=3"})
    cases.emplace_back("s: " + bad, "\"" + bad + "\"");
  for (const auto& [line, expected] : cases) {
    Series series;
    const std::string error = parse(line, series);
    EXPECT_NE(error.find(expected), std::string::npos) << line << ": " << error;
  }
}

TEST(TimelineFile, SkipsLinesWithoutItemsAndNamesFileAndLineOfErrors) {
  std::vector<Series> all;
  int maxTime = 0;
  std::string error;
  const std::string good = writeTemp("timeline_ok.txt", "a: 1=1,2=2\n\n  \nb: 5=1\r\nc: 3=3");
  ASSERT_TRUE(timeline::readTimeline(good, all, maxTime, error)) << error;
  EXPECT_EQ(all, (std::vector<Series>{{{1, 1}, {2, 2}}, {{5, 1}}, {{3, 3}}}));
  EXPECT_EQ(maxTime, 5);
  all.clear();
  ASSERT_TRUE(timeline::readTimeline(writeTemp("timeline_empty.txt", ""), all, maxTime, error));
  EXPECT_TRUE(all.empty());
  EXPECT_EQ(maxTime, -1);

  const std::string bad = writeTemp("timeline_bad.txt", "a: 1=1\n\nb: 2=x\n");
  ASSERT_FALSE(timeline::readTimeline(bad, all, maxTime, error));
  EXPECT_EQ(error.rfind(bad + ", line 3: ", 0), 0u) << error;
  // Neither a missing file nor a directory is a timeline.
  for (const std::string& path : {::testing::TempDir() + "none", ::testing::TempDir()}) {
    ASSERT_FALSE(timeline::readTimeline(path, all, maxTime, error));
    EXPECT_EQ(error, "Could not open file " + path);
  }
}

TEST(LineReader, LinesMustBeShorterThanTheLimit) {
  const std::size_t limit = timeline::kMaxLineLength;
  std::string line;
  // The longest allowed line is read whole, also as the last line without a line feed.
  for (const std::string& tail : {std::string("\nnext\n"), std::string()}) {
    timeline::LineReader reader(writeTemp("long_ok.txt", std::string(limit - 1, 'x') + tail));
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line.size(), limit - 1);
    EXPECT_FALSE(reader.tooLong());
  }
  // One more character rejects the file at that line, without reading on.
  timeline::LineReader reader(writeTemp("long_bad.txt", "ok\n" + std::string(limit, 'x') + "\n\n"));
  ASSERT_TRUE(reader.next(line));
  EXPECT_FALSE(reader.next(line));
  EXPECT_TRUE(reader.tooLong());
  EXPECT_EQ(reader.lineNumber(), 2);
  EXPECT_FALSE(reader.next(line));
}

TEST(ClusterFile, EveryLineIsOneClusterAndEmptyItemsAreSkipped) {
  std::unordered_map<int, std::unordered_map<int, std::vector<std::string>>> ids;
  std::string error;
  ASSERT_TRUE(
      timeline::readClusterFile(writeTemp("step3.feat", "x,y\n\na,b,,c\r\n,,\n"), 3, ids, error))
      << error;
  EXPECT_EQ(ids[1][3], (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(ids[3][3], (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(ids.size(), 2u);
  // Lead-ins and gaps are counted without building anything; a station gets one
  // lead-in however many series start at it, and none if a series reaches it.
  EXPECT_EQ(timeline::countDummyNodes({{{2, 5}, {5, 1}}, {{1, 1}}, {{100000, 1}}}), 1 + 2 + 99999);
  EXPECT_EQ(timeline::countDummyNodes({{{3, 1}}, {{3, 1}, {4, 2}}, {{4, 2}}, {{1, 1}, {2, 2}}}), 2);
}
