#include "tagcloud/MessageCapture.h"
#include "tagcloud/tagutils.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sys/stat.h>

namespace {

using Messages = std::vector<std::string>;
using Tags = std::map<std::string, double>;

// A literal with its embedded NUL bytes.
template <std::size_t N>
QByteArray bytes(const char (&text)[N]) {
  return QByteArray(text, int(N) - 1);
}

Tags sorted(const TagMap& map) {
  Tags tags;
  for (auto it = map.cbegin(); it != map.cend(); ++it)
    tags[it.key().toStdString()] = it.value();
  return tags;
}

std::vector<std::pair<std::string, double>> pairs(const QList<TagPair>& list) {
  std::vector<std::pair<std::string, double>> result;
  for (const TagPair& pair : list)
    result.emplace_back(pair.first.toStdString(), pair.second);
  return result;
}

class TagFiles : public ::testing::Test {
protected:
  QString write(const QByteArray& content, const QString& name = "node.tags") {
    const QString path = dir.path() + "/" + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path;
  }
  Tags load(const QByteArray& content) {
    QFile file(write(content));
    const TagMap tags = loadTags(file);
    EXPECT_FALSE(file.isOpen());
    return sorted(tags);
  }

  QTemporaryDir dir;
  MessageCapture messages;
};

} // namespace

TEST_F(TagFiles, ReadsTabSeparatedLinesByTheFormatRules) {
  const Tags tags = load(bytes("\n"
                         "   \t \r\n"
                         "  alpha\t0.75  \r\n"   // line 3: trimmed, CR LF
                         "#hash\t2\n"            // not a comment
                         "beta \t-1.5\n"         // the blank belongs to the tag
                         "beta\t0\n"
                         "alpha\t1e2\n"          // line 7: the last weight wins
                         "caf\xe9\t3\n"          // Latin-1
                         "gam\0ma\t4\0junk\n"    // each field ends at its NUL
                         "\0lead\t5\n"           // empty tag: skipped silently
                         "sigma\t+.5\n"));
  EXPECT_EQ(tags, (Tags{{"alpha", 100},
                        {"#hash", 2},
                        {"beta ", -1.5},
                        {"beta", 0},
                        {"caf\xc3\xa9", 3},
                        {"gam", 4},
                        {"sigma", 0.5}}));
  EXPECT_EQ(messages.take(), Messages());
}

TEST_F(TagFiles, ReportsBadLinesWithTheirNumberAndGoesOn) {
  const Tags tags = load("\n\n"
                         "alpha\t\t0.5\n"     // line 3: three fields
                         "alpha 0.5\n"        // one field
                         "beta\tabc\n"
                         "gamma\t1\n"
                         "\n"
                         "delta\tnan\n"       // line 8
                         "delta\tinf\n"
                         "delta\t1e400\n"
                         "eps\t1\x1b[31m\n"   // a control sequence is not echoed raw
                         "zeta\t\"2\"\n"
                         "alpha\t0.5\textra");
  EXPECT_EQ(tags, (Tags{{"gamma", 1}}));
  EXPECT_EQ(messages.take(), (Messages{"Invalid number of values on line  3 ",
                                       "Invalid number of values on line  4 ",
                                       "Invalid weight  \"abc\"  on line  5 ",
                                       "Invalid weight  \"nan\"  on line  8 ",
                                       "Invalid weight  \"inf\"  on line  9 ",
                                       "Invalid weight  \"1e400\"  on line  10 ",
                                       "Invalid weight  \"1\\x1B[31m\"  on line  11 ",
                                       "Invalid weight  \"\"2\"\"  on line  12 ",
                                       "Invalid number of values on line  13 "}));
}

TEST_F(TagFiles, EmptyBlankAndUnreadableFilesGiveNothingSilently) {
  EXPECT_EQ(load(""), Tags());
  EXPECT_EQ(load("\n \n\t\r\n\f\v\n"), Tags());

  QFile missing(dir.path() + "/missing.tags");
  EXPECT_TRUE(loadTags(missing).isEmpty());

  QFile directory(dir.path());
  EXPECT_TRUE(loadTags(directory).isEmpty());

  // A named pipe would block a plain open until someone writes to it.
  const QString fifoPath = dir.path() + "/pipe.tags";
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifoPath).constData(), 0600), 0);
  QFile fifo(fifoPath);
  EXPECT_TRUE(loadTags(fifo).isEmpty());

  QFile locked(write("alpha\t1\n", "locked.tags"));
  locked.setPermissions(QFileDevice::Permissions());
  if (!locked.open(QIODevice::ReadOnly)) { // the super-user reads it anyway
    EXPECT_TRUE(loadTags(locked).isEmpty());
  }
  EXPECT_EQ(messages.take(), Messages());
}

TEST_F(TagFiles, HugeLinesAreSkippedWithoutStoppingTheRead) {
  // The longest line that is still read, one that is one byte too long, one of
  // several megabytes, and a last line that never ends.
  const QByteArray longestTag(int(kMaxTagLineLength) - 3, 'a');
  QByteArray content = longestTag + "\t1\n";
  content += QByteArray(int(kMaxTagLineLength) - 2, 'b') + "\t1\n";
  content += "before\t2\n";
  content += QByteArray(5 * int(kMaxTagLineLength), '\t') + "\n";
  content += "after\t3\n";
  content += QByteArray(3 * int(kMaxTagLineLength), 'x');
  const Tags tags = load(content);
  EXPECT_EQ(tags, (Tags{{longestTag.toStdString(), 1}, {"before", 2}, {"after", 3}}));
  EXPECT_EQ(messages.take(), (Messages{"Line too long on line  2 ", "Line too long on line  4 ",
                                       "Line too long on line  6 "}));
}

TEST_F(TagFiles, BinaryContentIsReportedLineByLineWithoutRawControlCharacters) {
  QByteArray content;
  unsigned state = 12345;
  for (int i = 0; i < 200000; ++i) {
    state = state * 1103515245u + 12345u;
    content += char(state >> 16);
  }
  content += "\nlast\t1\n";
  const Tags tags = load(content);
  EXPECT_EQ(tags.count("last"), 1u);
  const Messages reported = messages.take();
  EXPECT_FALSE(reported.empty());
  for (const std::string& message : reported) {
    for (unsigned char c : message)
      EXPECT_GE(c, 0x20) << message;
  }
}

TEST(TagRanking, KeepsTheHeaviestTagsFirst) {
  const TagMap map{{"one", 1}, {"three", 3}, {"two", 2}};
  using Ranked = std::vector<std::pair<std::string, double>>;
  EXPECT_EQ(pairs(topTags(map, 2)), (Ranked{{"three", 3}, {"two", 2}}));
  EXPECT_EQ(pairs(topTags(map, 10)), (Ranked{{"three", 3}, {"two", 2}, {"one", 1}}));
  EXPECT_TRUE(topTags(map, 0).isEmpty());
  EXPECT_TRUE(topTags(map, -2).isEmpty());
  EXPECT_TRUE(topTags(TagMap(), 3).isEmpty());
  EXPECT_TRUE(topTags(TagMap(), -1).isEmpty());

  // -1 gives every pair in the map's own order.
  Ranked all;
  for (auto it = map.cbegin(); it != map.cend(); ++it)
    all.emplace_back(it.key().toStdString(), it.value());
  EXPECT_EQ(pairs(topTags(map, -1)), all);
}

TEST(TagRanking, TiesKeepOneOfTheEquallyHeavyTags) {
  const TagMap map{{"a", 2}, {"b", 2}, {"c", 1}, {"d", 2}};
  const QList<TagPair> top = topTags(map, 2);
  ASSERT_EQ(top.size(), 2);
  EXPECT_EQ(top[0].second, 2);
  EXPECT_EQ(top[1].second, 2);
  EXPECT_NE(top[0].first, top[1].first);
}

TEST(TagRanking, OrderingsCompareWeightsAndCodeUnits) {
  EXPECT_TRUE(comparePairByWeight({"a", 2}, {"b", 1}));
  EXPECT_FALSE(comparePairByWeight({"a", 1}, {"b", 1}));
  EXPECT_FALSE(comparePairByWeight({"a", -1}, {"b", 0}));

  EXPECT_TRUE(comparePairByTag({"Zebra", 1}, {"apple", 1}));
  EXPECT_TRUE(comparePairByTag({"zz", 1}, {QString::fromLatin1("\xe9t\xe9"), 1}));
  EXPECT_FALSE(comparePairByTag({"a", 1}, {"a", 2}));
}
