#include "tagcloud/MessageCapture.h"
#include "tagcloud/tagcache.h"

#include <QDir>
#include <QFile>
#include <QMetaObject>
#include <QMetaProperty>
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

class TagCacheTest : public ::testing::Test {
protected:
  void SetUp() override {
    cache.setTagDirPath(dir.path());
    write("n1", "a\t4\n");
    write("n2", "a\t2\nb\t6\n");
  }

  void write(const QString& nodeId, const QByteArray& content) {
    QFile file(path(nodeId));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
  }
  QString path(const QString& nodeId) const { return dir.path() + "/" + nodeId + ".tags"; }

  std::string reading(const QString& nodeId) const {
    return ("Reading tags for node \"" + nodeId + "\" from  \"" + path(nodeId) + "\" ")
        .toStdString();
  }
  std::string notFound(const QString& nodeId) const {
    return ("Tag file not found \"" + path(nodeId) + "\" ").toStdString();
  }
  static std::string cached(const QString& nodeId) {
    return ("Using cached tag information for node  \"" + nodeId + "\" ").toStdString();
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
  EXPECT_EQ(messages.take(), (Messages{cached("n1"), reading("gone"), notFound("gone"),
                                       reading("n3"), using_(3)}));

  // A node listed twice counts twice, and is already cached the second time.
  write("n4", "c\t5\nd\t1\n");
  EXPECT_EQ(sorted(cache.buildPath({"n4", "n4"})), (Tags{{"c", 5}, {"d", 1}}));
  EXPECT_EQ(messages.take(), (Messages{reading("n4"), cached("n4"), using_(2)}));

  EXPECT_TRUE(cache.buildPath({}).isEmpty());
  EXPECT_EQ(messages.take(), (Messages{using_(0)}));
}

TEST_F(TagCacheTest, TopCountLimitsThePathList) {
  write("many", "t1\t1\nt2\t2\nt3\t3\nt4\t4\nt5\t5\nt6\t6\nt7\t7\nt8\t8\nt9\t9\nt10\t10\nt11\t11\n");
  const QList<TagPair> defaultTop = cache.buildPath({"many"});
  ASSERT_EQ(defaultTop.size(), 10);
  EXPECT_EQ(defaultTop.first(), TagPair("t11", 11));
  EXPECT_EQ(defaultTop.last(), TagPair("t2", 2));

  cache.setTopCount(1);
  const QList<TagPair> one = cache.buildPath({"n2", "n2"});
  ASSERT_EQ(one.size(), 1);
  EXPECT_EQ(one.first(), TagPair("b", 6));

  cache.setTopCount(-1);
  EXPECT_EQ(cache.buildPath({"many"}).size(), 11);
  EXPECT_EQ(sorted(cache.buildPath({"n2"})), (Tags{{"a", 2}, {"b", 6}}));
}

TEST_F(TagCacheTest, EntriesStayUntilClearedAlsoWhenEmpty) {
  int emitted = 0;
  int lastSize = -1;
  QObject::connect(&cache, &TagCache::cloudCreated, [&](QList<TagPair>& tags) {
    ++emitted;
    lastSize = tags.size();
  });

  cache.activatePath({"n1", "gone"});
  EXPECT_EQ(emitted, 1);
  EXPECT_EQ(lastSize, 1);
  messages.take();

  // Changes on disk are not seen, and the missing file is not looked for again.
  write("n1", "z\t9\n");
  write("gone", "y\t1\n");
  EXPECT_EQ(sorted(cache.buildPath({"n1"})), (Tags{{"a", 4}}));
  EXPECT_EQ(cache.getTopTag("gone"), "");
  EXPECT_EQ(cache.getTopTag("n1"), "a");
  EXPECT_EQ(messages.take(), (Messages{cached("n1"), using_(1)}));

  cache.clear();
  EXPECT_EQ(emitted, 2);
  EXPECT_EQ(lastSize, 0);
  EXPECT_EQ(cache.getTopTag("n1"), "z");
  EXPECT_EQ(cache.getTopTag("gone"), "y");
  EXPECT_EQ(messages.take(), (Messages{reading("n1"), reading("gone")}));

  // Setters only store: a new directory does not forget what was read.
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
  const std::string failed = ("Failed to read any tags from file \"" + path("bad") + "\" ").toStdString();
  EXPECT_EQ(messages.take(),
            (Messages{reading("bad"), "Invalid number of values on line  1 ", failed}));

  // A directory where the file should be is found but yields nothing.
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder.tags"));
  EXPECT_EQ(cache.getTopTag("folder"), "");
  EXPECT_EQ(messages.take(),
            (Messages{reading("folder"),
                      ("Failed to read any tags from file \"" + path("folder") + "\" ").toStdString()}));

  EXPECT_EQ(cache.getTopTag("n2"), "b");
  write("gone", "x\t1\n");
  EXPECT_EQ(cache.getTopTag("gone"), "x");
  EXPECT_EQ(messages.take(), (Messages{reading("n2"), reading("gone")}));
}

TEST_F(TagCacheTest, MissingDirectoryIsReportedOncePerRequest) {
  const QString missing = dir.path() + "/no-such-dir";
  cache.setTagDirPath(missing);
  const std::string message = ("Tag file directory not found \"" + missing + "\" ").toStdString();
  EXPECT_TRUE(cache.buildPath({"n1", "n2"}).isEmpty());
  EXPECT_EQ(messages.take(), Messages{message});
  EXPECT_EQ(cache.getTopTag("n1"), "");
  EXPECT_EQ(messages.take(), Messages{message});

  // Nothing was entered meanwhile.
  cache.setTagDirPath(dir.path());
  EXPECT_EQ(cache.getTopTag("n1"), "a");
  EXPECT_EQ(messages.take(), Messages{reading("n1")});
}

TEST_F(TagCacheTest, FileNamesJoinDirectoryPrefixIdAndExtension) {
  cache.setTagFilePrefix("energy");
  cache.setTagFileExtension(".tg");
  QFile file(dir.path() + "/energy.t1.c2.tg");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("wind\t1\n");
  file.close();
  EXPECT_EQ(cache.getTopTag(".t1.c2"), "wind");

  // A prefix that makes an absolute name wins over the directory.
  QTemporaryDir other;
  QFile elsewhere(other.path() + "/n9.tags");
  ASSERT_TRUE(elsewhere.open(QIODevice::WriteOnly));
  elsewhere.write("far\t1\n");
  elsewhere.close();
  TagCache absolute;
  absolute.setTagDirPath(dir.path());
  absolute.setTagFilePrefix(other.path() + "/");
  EXPECT_EQ(absolute.getTopTag("n9"), "far");
  messages.take();

  // The defaults read <id>.tags from the working directory.
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir.path()));
  TagCache defaults;
  EXPECT_EQ(defaults.getTopTag("n2"), "b");
  QDir::setCurrent(previous);
  EXPECT_EQ(messages.take(), Messages{"Reading tags for node \"n2\" from  \"./n2.tags\" "});
}

TEST(TagCacheInterface, PropertiesAndSlotsAreReachableByName) {
  MessageCapture messages;
  TagCache cache;
  const QMetaObject* meta = cache.metaObject();
  const char* names[] = {"topCount", "tagDirPath", "tagFilePrefix", "tagFileExtension"};
  const int first = meta->propertyOffset();
  ASSERT_EQ(meta->propertyCount() - first, 4);
  for (int i = 0; i < 4; ++i)
    EXPECT_STREQ(meta->property(first + i).name(), names[i]);
  EXPECT_EQ(cache.property("topCount").toInt(), 10);
  EXPECT_EQ(cache.property("tagDirPath").toString(), "");
  EXPECT_EQ(cache.property("tagFilePrefix").toString(), "");
  EXPECT_EQ(cache.property("tagFileExtension").toString(), ".tags");
  EXPECT_TRUE(cache.setProperty("topCount", 3));
  EXPECT_EQ(cache.topCount(), 3);

  QString top;
  EXPECT_TRUE(QMetaObject::invokeMethod(&cache, "getTopTag", Q_RETURN_ARG(QString, top),
                                        Q_ARG(QString, "none")));
}
