#include "tagcloud/MessageCapture.h"
#include "tagcloud/tagcache.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {

using Messages = std::vector<std::string>;
using Tags = std::map<std::string, double>;

Tags sorted(const QList<TagPair>& list) {
  Tags tags;
  for (const TagPair& pair : list)
    tags[pair.first.toStdString()] = pair.second;
  return tags;
}

void writeFile(const QString& path, const QByteArray& content) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(content);
}

class TagCacheTest : public ::testing::Test {
protected:
  void SetUp() override {
    cache.setTagDirPath(dir.path());
    write("n1", "a\t4\n");
    write("n2", "a\t2\nb\t6\n");
  }

  void write(const QString& nodeId, const QByteArray& content) { writeFile(path(nodeId), content); }
  QString path(const QString& nodeId) const { return dir.path() + "/" + nodeId + ".tags"; }
  // The messages users see, by node id.
  std::string reading(const QString& id) const {
    return ("Reading tags for node \"" + id + "\" from  \"" + path(id) + "\" ").toStdString();
  }
  std::string notFound(const QString& id) const {
    return ("Tag file not found \"" + path(id) + "\" ").toStdString();
  }
  std::string failed(const QString& id) const {
    return ("Failed to read any tags from file \"" + path(id) + "\" ").toStdString();
  }
  static std::string cached(const QString& id) {
    return ("Using cached tag information for node  \"" + id + "\" ").toStdString();
  }
  static std::string using_(int count) {
    return "Using " + std::to_string(count) + " tag cloud(s) ";
  }

  QTemporaryDir dir;
  TagCache cache;
  MessageCapture messages;
};

} // namespace

TEST_F(TagCacheTest, PathTagsAreMeansOverEveryListedNode) {
  EXPECT_EQ(sorted(cache.buildPath({"n1", "n2"})), (Tags{{"a", 3}, {"b", 3}}));
  EXPECT_EQ(messages.take(), (Messages{reading("n1"), reading("n2"), using_(2)}));

  // A missing file contributes nothing but still counts in the divisor.
  write("n3", "a\t6\nb\t3\n");
  EXPECT_EQ(sorted(cache.buildPath({"n1", "gone", "n3"})), (Tags{{"a", 10.0 / 3}, {"b", 1}}));
  EXPECT_EQ(messages.take(),
            (Messages{cached("n1"), reading("gone"), notFound("gone"), reading("n3"), using_(3)}));

  // A node listed twice counts twice, and is already cached the second time.
  write("n4", "c\t5\nd\t1\n");
  EXPECT_EQ(sorted(cache.buildPath({"n4", "n4"})), (Tags{{"c", 5}, {"d", 1}}));
  EXPECT_EQ(messages.take(), (Messages{reading("n4"), cached("n4"), using_(2)}));

  EXPECT_TRUE(cache.buildPath({}).isEmpty());
  EXPECT_EQ(messages.take(), (Messages{using_(0)}));

  cache.setTopCount(1);
  EXPECT_EQ(cache.buildPath({"n2"}), (QList<TagPair>{{"b", 6}}));
  EXPECT_EQ(cache.buildPath({"n1", "n2"}).size(), 1);
  cache.setTopCount(-1);
  EXPECT_EQ(sorted(cache.buildPath({"n2"})), (Tags{{"a", 2}, {"b", 6}}));
}

TEST_F(TagCacheTest, EntriesStayUntilClearedAlsoWhenEmpty) {
  int emitted = 0, lastSize = -1;
  QObject::connect(&cache, &TagCache::cloudCreated, [&](QList<TagPair>& tags) {
    ++emitted;
    lastSize = tags.size();
  });
  cache.activatePath({"n1", "gone"});
  EXPECT_EQ(std::make_pair(emitted, lastSize), std::make_pair(1, 1));
  messages.take();

  // Changes on disk are not seen, and the missing file is not looked for again.
  write("n1", "z\t9\n");
  write("gone", "y\t1\n");
  EXPECT_EQ(sorted(cache.buildPath({"n1"})), (Tags{{"a", 4}}));
  EXPECT_EQ(cache.getTopTag("gone"), "");
  EXPECT_EQ(cache.getTopTag("n1"), "a");
  EXPECT_EQ(messages.take(), (Messages{cached("n1"), using_(1)}));

  cache.clear();
  EXPECT_EQ(std::make_pair(emitted, lastSize), std::make_pair(2, 0));
  EXPECT_EQ(cache.getTopTag("n1"), "z");
  EXPECT_EQ(cache.getTopTag("gone"), "y");
  EXPECT_EQ(messages.take(), (Messages{reading("n1"), reading("gone")}));

  // A new directory does not forget what was read.
  cache.setTagDirPath(QDir::tempPath());
  EXPECT_EQ(cache.getTopTag("n1"), "z");
  EXPECT_EQ(messages.take(), Messages());
}

TEST_F(TagCacheTest, TopTagLooksAgainForFilesThatGaveNothing) {
  EXPECT_EQ(cache.getTopTag("gone"), "");
  EXPECT_EQ(cache.getTopTag("gone"), "");
  EXPECT_EQ(messages.take(),
            (Messages{reading("gone"), notFound("gone"), reading("gone"), notFound("gone")}));

  write("bad", "only one field\n");
  EXPECT_EQ(cache.getTopTag("bad"), "");
  EXPECT_EQ(messages.take(),
            (Messages{reading("bad"), "Invalid number of values on line  1 ", failed("bad")}));

  // A directory where the file should be is found but yields nothing.
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder.tags"));
  EXPECT_EQ(cache.getTopTag("folder"), "");
  EXPECT_EQ(messages.take(), (Messages{reading("folder"), failed("folder")}));

  EXPECT_EQ(cache.getTopTag("n2"), "b");
  write("gone", "x\t1\n");
  EXPECT_EQ(cache.getTopTag("gone"), "x");
  EXPECT_EQ(messages.take(), (Messages{reading("n2"), reading("gone")}));
}

TEST_F(TagCacheTest, TopTagsOfManyNodesAreThoseOfOneAtATime) {
  // Enough nodes for several batches read side by side: files with tags, bad and
  // missing files, and repeats within and across batches.
  QStringList ids{"n1"};
  for (int i = 0; i < 2600; ++i)
    ids << QString("m%1").arg(i * 7 % 1700);
  for (int i = 0; i < 1700; i += 3)
    write(QString("m%1").arg(i), i % 2 ? "x\t1\ny\t" + QByteArray::number(i) + "\n" : "x\tnan\n");
  TagCache batch;
  batch.setTagDirPath(dir.path());
  for (TagCache* c : {&cache, &batch})
    c->getTopTag("n1"); // already cached for both
  messages.take();

  QStringList one;
  for (const QString& id : ids)
    one << cache.getTopTag(id);
  const Messages oneMessages = messages.take();
  std::vector<std::pair<int, int>> told;
  const auto tell = [&](int done, int total) { told.emplace_back(done, total); };
  EXPECT_EQ(batch.getTopTags(ids, tell), one);
  EXPECT_EQ(messages.take(), oneMessages);
  EXPECT_EQ(told, (std::vector<std::pair<int, int>>{{1024, 2601}, {2048, 2601}, {2601, 2601}}));

  // The same entries are cached: asking again reads the same files again.
  for (TagCache* c : {&cache, &batch})
    c->getTopTags(ids);
  const Messages again = messages.take();
  EXPECT_EQ(Messages(again.begin(), again.begin() + again.size() / 2),
            Messages(again.begin() + again.size() / 2, again.end()));
}

TEST_F(TagCacheTest, MissingDirectoryIsReportedOncePerRequest) {
  const QString missing = dir.path() + "/no-such-dir";
  cache.setTagDirPath(missing);
  const std::string message = ("Tag file directory not found \"" + missing + "\" ").toStdString();
  EXPECT_TRUE(cache.buildPath({"n1", "n2"}).isEmpty());
  EXPECT_EQ(messages.take(), Messages{message});
  EXPECT_EQ(cache.getTopTag("n1"), "");
  EXPECT_EQ(messages.take(), Messages{message});
  EXPECT_EQ(cache.getTopTags({"n1", "n2"}), QStringList({"", ""}));
  EXPECT_EQ(messages.take(), (Messages{message, message}));

  // Nothing was entered meanwhile.
  cache.setTagDirPath(dir.path());
  EXPECT_EQ(cache.getTopTag("n1"), "a");
  EXPECT_EQ(messages.take(), Messages{reading("n1")});
}

TEST_F(TagCacheTest, FileNamesJoinDirectoryPrefixIdAndExtension) {
  cache.setTagFilePrefix("energy");
  cache.setTagFileExtension(".tg");
  writeFile(dir.path() + "/energy.t1.c2.tg", "wind\t1\n");
  EXPECT_EQ(cache.getTopTag(".t1.c2"), "wind");

  // A prefix that makes an absolute name wins over the directory.
  QTemporaryDir other;
  writeFile(other.path() + "/n9.tags", "far\t1\n");
  TagCache absolute;
  absolute.setTagDirPath(dir.path());
  absolute.setTagFilePrefix(other.path() + "/");
  EXPECT_EQ(absolute.getTopTag("n9"), "far");
  messages.take();

  // The defaults read <id>.tags from the working directory.
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir.path()));
  EXPECT_EQ(TagCache().getTopTag("n2"), "b");
  QDir::setCurrent(previous);
  EXPECT_EQ(messages.take(), Messages{"Reading tags for node \"n2\" from  \"./n2.tags\" "});
}
