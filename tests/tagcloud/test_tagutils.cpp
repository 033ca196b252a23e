#include "support/OrdinaryFileAccess.h"
#include "tagcloud/MessageCapture.h"
#include "tagcloud/tagutils.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sys/stat.h>

namespace {

using Messages = std::vector<std::string>;
using Tags = std::map<std::string, double>;

class TagFiles : public ::testing::Test {
protected:
  QString write(const QByteArray& content, const QString& name = "node.tags") {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return file.fileName();
  }
  // Keeps the embedded NUL bytes of a literal.
  template <std::size_t N> Tags load(const char (&text)[N]) {
    return load(QByteArray(text, int(N) - 1));
  }
  Tags load(const QByteArray& content) {
    QFile file(write(content));
    const TagMap map = loadTags(file);
    EXPECT_FALSE(file.isOpen());
    Tags tags;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
      tags[it.key().toStdString()] = it.value();
    return tags;
  }

  QTemporaryDir dir;
  MessageCapture messages;
};

} // namespace

TEST_F(TagFiles, ReadsTabSeparatedLinesByTheFormatRules) {
  // Fields are trimmed, "#" starts no comment, the blank in "beta " belongs to the tag, the last
  // weight wins, Latin-1 is read, each field ends at its NUL and an empty tag is skipped silently.
  const Tags tags = load("\n   \t \r\n  crlf\t0.75  \r\nalpha\t1\n#hash\t2\nbeta \t-1.5\nbeta\t0\n"
                         "alpha\t1e2\ncaf\xe9\t3\ngam\0ma\t4\0junk\n\0lead\t5\nsigma\t+.5\n");
  EXPECT_EQ(tags, (Tags{{"crlf", 0.75}, {"alpha", 100}, {"#hash", 2}, {"beta ", -1.5}, {"beta", 0},
                        {"caf\xc3\xa9", 3}, {"gam", 4}, {"sigma", 0.5}}));
  EXPECT_EQ(messages.take(), Messages());
}

TEST_F(TagFiles, ReadsFilesThatAreValidUtf8AsUtf8AndAnyOtherAsLatin1) {
  // One byte that is not UTF-8 anywhere, even in a skipped line or cut at the end,
  // makes the whole file Latin-1; a UTF-8 byte order mark is no part of a tag.
  const std::string cafeUtf8 = "caf\xc3\xa9", cafeLatin1Read = "caf\xc3\x83\xc2\xa9";
  const std::pair<QByteArray, Tags> cases[] = {
      {"caf\xc3\xa9\t1\n\xe2\x82\xac\t2\n", {{cafeUtf8, 1}, {"\xe2\x82\xac", 2}}},
      {"\xef\xbb\xbf" "caf\xc3\xa9\t1\n", {{cafeUtf8, 1}}},
      {"caf\xc3\xa9\t1\nbad line \xe9\n", {{cafeLatin1Read, 1}}},
      {"caf\xc3\xa9\t1\nend\t2\xc3", {{cafeLatin1Read, 1}}},
      {"caf\xe9\t1\n", {{cafeUtf8, 1}}}};
  for (const auto& [content, expected] : cases)
    EXPECT_EQ(load(content), expected) << content.toStdString();
  messages.take();
}

TEST_F(TagFiles, ReportsBadLinesWithTheirNumberAndGoesOn) {
  // A control sequence in a weight is not echoed raw.
  const Tags tags =
      load("\n\nalpha\t\t0.5\nalpha 0.5\nbeta\tabc\ngamma\t1\n\ndelta\tnan\ndelta\tinf\n"
           "delta\t1e400\neps\t1\x1b[31m\nzeta\t\"2\"\nalpha\t0.5\textra");
  EXPECT_EQ(tags, (Tags{{"gamma", 1}}));
  EXPECT_EQ(
      messages.take(),
      (Messages{"Invalid number of values on line  3 ", "Invalid number of values on line  4 ",
                "Invalid weight  \"abc\"  on line  5 ", "Invalid weight  \"nan\"  on line  8 ",
                "Invalid weight  \"inf\"  on line  9 ", "Invalid weight  \"1e400\"  on line  10 ",
                "Invalid weight  \"1\\x1B[31m\"  on line  11 ",
                "Invalid weight  \"\"2\"\"  on line  12 ",
                "Invalid number of values on line  13 "}));
}

TEST_F(TagFiles, EmptyBlankAndUnreadableFilesGiveNothingSilently) {
  EXPECT_EQ(load(""), Tags());
  EXPECT_EQ(load("\n \n\t\r\n\f\v\n"), Tags());
  // A named pipe would block a plain open until someone writes to it.
  const QString fifo = dir.filePath("pipe.tags");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  for (const QString& path : {dir.filePath("missing.tags"), dir.path(), fifo}) {
    QFile file(path);
    EXPECT_TRUE(loadTags(file).isEmpty()) << path.toStdString();
  }
  QFile locked(write("alpha\t1\n", "locked.tags"));
  locked.setPermissions(QFileDevice::Permissions());
  {
    const OrdinaryFileAccess access;
    ASSERT_FALSE(QFile(locked.fileName()).open(QIODevice::ReadOnly));
    EXPECT_TRUE(loadTags(locked).isEmpty());
  }
  EXPECT_EQ(messages.take(), Messages());
}

TEST_F(TagFiles, HugeLinesAndBinaryContentAreSkippedWithoutStoppingTheRead) {
  // The longest line that is still read, one that is one byte too long, one of
  // several megabytes, and a last line that never ends.
  const int limit = int(kMaxTagLineLength);
  const QByteArray longestTag(limit - 3, 'a');
  const Tags tags = load(longestTag + "\t1\n" + QByteArray(limit - 2, 'b') + "\t1\nbefore\t2\n" +
                         QByteArray(5 * limit, '\t') + "\nafter\t3\n" + QByteArray(3 * limit, 'x'));
  EXPECT_EQ(tags, (Tags{{longestTag.toStdString(), 1}, {"before", 2}, {"after", 3}}));
  EXPECT_EQ(messages.take(), (Messages{"Line too long on line  2 ", "Line too long on line  4 ",
                                       "Line too long on line  6 "}));

  // Binary content is reported line by line without raw control characters.
  QByteArray binary;
  for (unsigned i = 0, state = 12345; i < 200000; ++i)
    binary += char((state = state * 1103515245u + 12345u) >> 16);
  EXPECT_EQ(load(binary + "\nlast\t1\n").count("last"), 1u);
  const Messages reported = messages.take();
  EXPECT_FALSE(reported.empty());
  for (const std::string& message : reported)
    EXPECT_TRUE(std::none_of(message.begin(), message.end(),
                             [](unsigned char c) { return c < 0x20; }))
        << message;
}

TEST(TagRanking, KeepsTheHeaviestTagsFirst) {
  const TagMap map{{"one", 1}, {"three", 3}, {"two", 2}};
  EXPECT_EQ(topTags(map, 2), (QList<TagPair>{{"three", 3}, {"two", 2}}));
  EXPECT_EQ(topTags(map, 10), (QList<TagPair>{{"three", 3}, {"two", 2}, {"one", 1}}));
  EXPECT_TRUE(topTags(map, 0).isEmpty() && topTags(map, -2).isEmpty());
  EXPECT_TRUE(topTags(TagMap(), 3).isEmpty() && topTags(TagMap(), -1).isEmpty());
  // -1 gives every pair in the map's own order.
  QList<TagPair> all;
  for (auto it = map.cbegin(); it != map.cend(); ++it)
    all.append({it.key(), it.value()});
  EXPECT_EQ(topTags(map, -1), all);
}

TEST(TagRanking, OrderingsCompareWeightsAndCodeUnits) {
  EXPECT_FALSE(comparePairByWeight({"a", 1}, {"b", 1}));
  EXPECT_TRUE(comparePairByTag({"Zebra", 1}, {"apple", 1}));
  EXPECT_TRUE(comparePairByTag({"zz", 1}, {QString::fromLatin1("\xe9t\xe9"), 1}));
}
