#include "clusterflow/TimelineReader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

using timeline::Series;

namespace {

std::string writeTemp(const std::string& name, const std::string& content) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

Series parse(const std::string& line) {
  Series series;
  std::string error;
  EXPECT_TRUE(timeline::parseTimelineLine(line, series, error)) << line << ": " << error;
  return series;
}

std::string parseError(const std::string& line) {
  Series series;
  std::string error;
  EXPECT_FALSE(timeline::parseTimelineLine(line, series, error)) << line;
  return error;
}

} // namespace

TEST(TimelineLine, LabelIsIgnoredAndItemsAreSortedByTime) {
  EXPECT_EQ(parse("4: 3=2, 1=7, 2=5"), (Series{{1, 7}, {2, 5}, {3, 2}}));
  EXPECT_EQ(parse("1=3,,2=4,"), (Series{{1, 3}, {2, 4}}));
  EXPECT_EQ(parse(",1=3"), (Series{{1, 3}}));
  // Only the first colon ends the label.
  EXPECT_NE(parseError("a:b: 1=3").find("\"b: 1=3\""), std::string::npos);
  EXPECT_TRUE(parse("").empty());
  EXPECT_TRUE(parse("series 9:").empty());
  EXPECT_TRUE(parse(" , ,\t").empty());
}

TEST(TimelineLine, BlanksAroundNumbersAndCarriageReturnsAreAccepted) {
  EXPECT_EQ(parse(" 1 = 3 ,2=4\r"), (Series{{1, 3}, {2, 4}}));
  EXPECT_EQ(parse("+2=+5"), (Series{{2, 5}}));
}

TEST(TimelineLine, RepeatedIdenticalItemsCountOnce) {
  EXPECT_EQ(parse("1=3,2=4,1=3"), (Series{{1, 3}, {2, 4}}));
}

TEST(TimelineLine, MalformedItemsAreRejectedWithTheItemQuoted) {
  for (const char* bad : {"3=", "=4", "a=1", "1=2=3", "1=b", "3", "1.5=2", "0x1=2", "1 2=3"}) {
    const std::string error = parseError(std::string("s: ") + bad);
    EXPECT_NE(error.find(std::string("\"") + bad + "\""), std::string::npos) << error;
  }
  EXPECT_NE(parseError("99999999999=1").find("out of range"), std::string::npos);
  EXPECT_NE(parseError("1=99999999999").find("out of range"), std::string::npos);
  EXPECT_NE(parseError("1=\x01\x80").find("\\x01\\x80"), std::string::npos);
}

TEST(TimelineLine, ValuesOutsideTheirRangesAreRejected) {
  EXPECT_NE(parseError("0=3").find("time step below 1"), std::string::npos);
  EXPECT_NE(parseError("-4=3").find("time step below 1"), std::string::npos);
  EXPECT_NE(parseError("2=0").find("cluster number below 1"), std::string::npos);
  EXPECT_NE(parseError("2147483647=1").find("limit of 100000"), std::string::npos);
  EXPECT_NE(parseError("100001=1").find("limit"), std::string::npos);
  Series series;
  std::string error;
  EXPECT_TRUE(timeline::parseTimelineLine("100000=1", series, error));
}

TEST(TimelineLine, OneTimeStepWithTwoClustersIsRejected) {
  const std::string error = parseError("1=3,2=4,2=5");
  EXPECT_NE(error.find("time step 2 appears with two clusters (4 and 5)"), std::string::npos)
      << error;
}

TEST(TimelineFile, SkipsLinesWithoutItemsAndTracksTheLargestTime) {
  const std::string path = writeTemp("timeline_ok.txt", "a: 1=1,2=2\n\n  \nb: 5=1\r\nc: 3=3");
  std::vector<Series> all;
  int maxTime = 0;
  std::string error;
  ASSERT_TRUE(timeline::readTimeline(path, all, maxTime, error)) << error;
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[1], (Series{{5, 1}}));
  EXPECT_EQ(maxTime, 5);

  const std::string empty = writeTemp("timeline_empty.txt", "");
  all.clear();
  ASSERT_TRUE(timeline::readTimeline(empty, all, maxTime, error));
  EXPECT_TRUE(all.empty());
  EXPECT_EQ(maxTime, -1);
}

TEST(TimelineFile, ErrorsNameTheFileAndTheLine) {
  const std::string path = writeTemp("timeline_bad.txt", "a: 1=1\n\nb: 2=x\n");
  std::vector<Series> all;
  int maxTime = 0;
  std::string error;
  ASSERT_FALSE(timeline::readTimeline(path, all, maxTime, error));
  EXPECT_EQ(error.rfind(path + ", line 3: ", 0), 0u) << error;

  ASSERT_FALSE(timeline::readTimeline(::testing::TempDir() + "does-not-exist", all, maxTime, error));
  EXPECT_EQ(error, "Could not open file " + ::testing::TempDir() + "does-not-exist");
  // A directory is not a timeline.
  ASSERT_FALSE(timeline::readTimeline(::testing::TempDir(), all, maxTime, error));
  EXPECT_EQ(error.rfind("Could not open file ", 0), 0u);
}

TEST(LineReader, LinesMustBeShorterThanTheLimit) {
  const std::size_t limit = timeline::kMaxLineLength;
  // The longest allowed line is read whole, also as the last line without a line feed.
  for (const std::string& tail : {std::string("\nnext\n"), std::string()}) {
    const std::string path = writeTemp("long_ok.txt", std::string(limit - 1, 'x') + tail);
    timeline::LineReader reader(path);
    std::string line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line.size(), limit - 1);
    EXPECT_FALSE(reader.tooLong());
  }
  // One more character rejects the file at that line, without reading on.
  const std::string path = writeTemp("long_bad.txt", "ok\n" + std::string(limit, 'x') + "\nnext\n");
  timeline::LineReader reader(path);
  std::string line;
  ASSERT_TRUE(reader.next(line));
  EXPECT_FALSE(reader.next(line));
  EXPECT_TRUE(reader.tooLong());
  EXPECT_EQ(reader.lineNumber(), 2);
  EXPECT_FALSE(reader.next(line));
}

TEST(ClusterFile, EveryLineIsOneClusterAndEmptyItemsAreSkipped) {
  const std::string path = writeTemp("step3.feat", "x,y\n\na,b,,c\r\n,,\n");
  std::unordered_map<int, std::unordered_map<int, std::vector<std::string>>> ids;
  std::string error;
  ASSERT_TRUE(timeline::readClusterFile(path, 3, ids, error)) << error;
  EXPECT_EQ(ids[1][3], (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(ids.count(2), 0u);
  EXPECT_EQ(ids[3][3], (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(ids.count(4), 0u);
}

TEST(DummyCount, CountsLeadInsAndGapsWithoutBuildingAnything) {
  std::vector<Series> all{{{2, 5}, {5, 1}}, {{1, 1}}, {{100000, 1}}};
  EXPECT_EQ(timeline::countDummyNodes(all), 1 + 2 + 99999);
}
