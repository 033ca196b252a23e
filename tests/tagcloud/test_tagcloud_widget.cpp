// The tag-cloud widget: size levels, word placement, clicks and image export.

#include "tagcloud/tagcache.h"
#include "tagcloud/tagcloud.h"

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QGraphicsTextItem>
#include <QImage>
#include <QMouseEvent>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

// Tags "t01" ... "tNN" with weights count down to 1, so "t01" is the heaviest.
QList<TagPair> rankedTags(int count) {
  QList<TagPair> tags;
  for (int i = 1; i <= count; ++i)
    tags.append({QString("t%1").arg(i, 2, 10, QChar('0')), double(count - i + 1)});
  return tags;
}

QHash<QString, QGraphicsTextItem*> wordsOf(QTagCloud& cloud) {
  QHash<QString, QGraphicsTextItem*> words;
  for (QGraphicsItem* item : cloud.scene()->items())
    if (auto* text = qgraphicsitem_cast<QGraphicsTextItem*>(item))
      words.insert(text->toPlainText(), text);
  return words;
}

int rowCount(QTagCloud& cloud) {
  QSet<int> baselines;
  for (QGraphicsTextItem* word : wordsOf(cloud))
    baselines.insert(qRound(word->y()) + QFontMetrics(word->font()).ascent());
  return baselines.size();
}

int advance(QGraphicsTextItem* word) {
  return QFontMetrics(word->font()).horizontalAdvance(word->toPlainText());
}

void press(QTagCloud& cloud, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent event(QEvent::MouseButtonPress, QPointF(5, 5), button, held, Qt::NoModifier);
  QApplication::sendEvent(cloud.viewport(), &event);
}

} // namespace

class TestTagCloudWidget : public QObject {
  Q_OBJECT

private slots:
  void levelsFollowRankWithTwoTagsPerLevel();
  void fewTagsGiveTopAndBottomLevelOnly();
  void equalWeightsStillGetOneTopTag();
  void displayOrderFollowsSetting();
  void singleTagIsCentredInItsRow();
  void tooWideTagStandsAloneCentred();
  void rowStepKeepsLargestDescent();
  void leftPressAloneReportsId();
  void resizeReflowsWords();
  void settingsShowAtNextDrawingButBackgroundAtOnce();
  void clearKeepsBackgroundAndSceneRect();
  void tagCacheSignalFeedsTheCloud();
  void outOfRangeSettingsStillDraw();
  void exportWritesImageOfRequestedSize();
  void exportFailureIsReportedAndKeepsOldFile();
};

void TestTagCloudWidget::levelsFollowRankWithTwoTagsPerLevel() {
  QTagCloud cloud;
  cloud.resize(600, 400);
  QList<TagPair> tags = rankedTags(25);
  cloud.render(tags);

  // perBin = 24 / 9 = 2: levels 1 to 8 get two tags each, level 9 the last eight.
  const int sizes[] = {40, 36, 33, 30, 27, 25, 22, 19, 16, 14};
  const int alphas[] = {255, 238, 222, 205, 189, 172, 156, 139, 123, 106};
  const QHash<QString, QGraphicsTextItem*> words = wordsOf(cloud);
  QCOMPARE(words.size(), 25);
  for (int rank = 0; rank < 25; ++rank) {
    const int level = rank == 0 ? 0 : std::min((rank - 1) / 2 + 1, 9);
    QGraphicsTextItem* word = words.value(tags[rank].first);
    QVERIFY2(word != nullptr, qPrintable(tags[rank].first));
    QCOMPARE(word->font().pointSize(), sizes[level]);
    QCOMPARE(word->defaultTextColor().alpha(), alphas[level]);
    QCOMPARE(word->font().bold(), rank == 0);
    QVERIFY(!word->font().italic());
  }
}

void TestTagCloudWidget::fewTagsGiveTopAndBottomLevelOnly() {
  QTagCloud cloud;
  cloud.resize(600, 400);
  cloud.setTagColor(QColor(10, 120, 200));
  QList<TagPair> tags = rankedTags(5);
  cloud.render(tags);

  const QHash<QString, QGraphicsTextItem*> words = wordsOf(cloud);
  QCOMPARE(words["t01"]->font().pointSize(), 40);
  QCOMPARE(words["t01"]->defaultTextColor(), QColor(10, 120, 200, 255));
  for (const char* tag : {"t02", "t03", "t04", "t05"}) {
    QCOMPARE(words[tag]->font().pointSize(), 14);
    QCOMPARE(words[tag]->defaultTextColor(), QColor(10, 120, 200, 106));
  }
}

void TestTagCloudWidget::equalWeightsStillGetOneTopTag() {
  QTagCloud cloud;
  cloud.resize(600, 400);
  QList<TagPair> tags{{"a", 1.0}, {"b", 1.0}, {"c", 1.0}};
  cloud.render(tags);

  int bold = 0, largest = 0;
  for (QGraphicsTextItem* word : wordsOf(cloud)) {
    bold += word->font().bold() ? 1 : 0;
    largest += word->font().pointSize() == 40 ? 1 : 0;
  }
  QCOMPARE(bold, 1);
  QCOMPARE(largest, 1);
}

void TestTagCloudWidget::displayOrderFollowsSetting() {
  QTagCloud cloud;
  cloud.resize(2000, 400);
  QList<TagPair> tags{{"beta", 1.0}, {"alpha", 3.0}, {"Zeta", 2.0}};
  cloud.render(tags);
  // Tag order compares code units: upper case before lower case.
  QCOMPARE(cloud.pairs(), (QList<TagPair>{{"Zeta", 2.0}, {"alpha", 3.0}, {"beta", 1.0}}));
  QHash<QString, QGraphicsTextItem*> words = wordsOf(cloud);
  QVERIFY(words["Zeta"]->x() < words["alpha"]->x());
  QVERIFY(words["alpha"]->x() < words["beta"]->x());

  cloud.setSortAlphabetic(false);
  cloud.render();
  QCOMPARE(cloud.pairs(), (QList<TagPair>{{"alpha", 3.0}, {"Zeta", 2.0}, {"beta", 1.0}}));
  words = wordsOf(cloud);
  QVERIFY(words["alpha"]->x() < words["Zeta"]->x());
  QVERIFY(words["Zeta"]->x() < words["beta"]->x());
}

void TestTagCloudWidget::singleTagIsCentredInItsRow() {
  QTagCloud cloud;
  cloud.resize(500, 300);
  QList<TagPair> tags{{"solar", 0.5}};
  cloud.render(tags);

  QGraphicsTextItem* word = wordsOf(cloud)["solar"];
  QVERIFY(word->font().bold());
  QCOMPARE(word->font().pointSize(), 40);
  QVERIFY(qAbs(word->x() + advance(word) / 2.0 - 250.0) <= 1.0);
  QCOMPARE(word->y(), 0.0);
  const QFontMetrics metrics(word->font());
  QCOMPARE(cloud.sceneRect(), QRectF(0, 0, 500, metrics.height()));
}

void TestTagCloudWidget::tooWideTagStandsAloneCentred() {
  QTagCloud cloud;
  cloud.resize(150, 300);
  // The heaviest word is also the widest and comes first: breaking before it must
  // not leave an empty first row.
  QList<TagPair> tags{{"aaaaaaaaaaaaaaaaaaaa", 5.0}, {"b", 1.0}, {"c", 1.0}};
  cloud.render(tags);

  const QHash<QString, QGraphicsTextItem*> words = wordsOf(cloud);
  QGraphicsTextItem* wide = words["aaaaaaaaaaaaaaaaaaaa"];
  QCOMPARE(wide->y(), 0.0);
  QVERIFY(wide->x() < 0);
  QVERIFY(wide->x() + advance(wide) > 150);
  QVERIFY(qAbs(wide->x() + advance(wide) / 2.0 - 75.0) <= 1.0);
  // The next words share the second row.
  QVERIFY(words["b"]->y() > 0);
  QCOMPARE(words["b"]->y(), words["c"]->y());
  QCOMPARE(rowCount(cloud), 2);
}

void TestTagCloudWidget::rowStepKeepsLargestDescent() {
  QTagCloud cloud;
  // Narrow enough that every word has a row of its own.
  cloud.resize(100, 300);
  QList<TagPair> tags{{"big", 9.0}, {"mmmmmm", 1.0}, {"nnnnnn", 1.0}, {"oooooo", 1.0}};
  cloud.render(tags);

  const QHash<QString, QGraphicsTextItem*> words = wordsOf(cloud);
  const QFontMetrics big(words["big"]->font());
  const QFontMetrics small(words["nnnnnn"]->font());
  QVERIFY(big.descent() > small.descent());
  const int smallRaised = small.height() - small.descent();
  // Rows of small words keep the big word's descent in their spacing.
  QCOMPARE(words["nnnnnn"]->y() - words["mmmmmm"]->y(), double(smallRaised + big.descent()));
  QCOMPARE(words["oooooo"]->y() - words["nnnnnn"]->y(), double(smallRaised + big.descent()));
  QCOMPARE(cloud.sceneRect().height(), words["oooooo"]->y() + smallRaised + big.descent());
}

void TestTagCloudWidget::leftPressAloneReportsId() {
  QTagCloud cloud;
  QSignalSpy clicks(&cloud, &QTagCloud::displayClicked);
  press(cloud, Qt::LeftButton, Qt::LeftButton);
  QCOMPARE(clicks.size(), 1);
  QCOMPARE(clicks.takeFirst().at(0).toInt(), -1);

  cloud.setid(7);
  press(cloud, Qt::LeftButton, Qt::LeftButton);
  QCOMPARE(clicks.size(), 1);
  QCOMPARE(clicks.takeFirst().at(0).toInt(), 7);

  press(cloud, Qt::RightButton, Qt::RightButton);
  press(cloud, Qt::MiddleButton, Qt::MiddleButton);
  press(cloud, Qt::LeftButton, Qt::LeftButton | Qt::RightButton);
  QCOMPARE(clicks.size(), 0);
}

void TestTagCloudWidget::resizeReflowsWords() {
  QTagCloud cloud;
  cloud.resize(900, 300);
  cloud.show();
  QVERIFY(QTest::qWaitForWindowExposed(&cloud));
  QList<TagPair> tags = rankedTags(8);
  cloud.render(tags);
  QCOMPARE(rowCount(cloud), 1);

  cloud.resize(120, 300);
  QCOMPARE(cloud.sceneRect().width(), 120.0);
  QVERIFY(rowCount(cloud) > 2);
}

void TestTagCloudWidget::settingsShowAtNextDrawingButBackgroundAtOnce() {
  QTagCloud cloud;
  cloud.resize(400, 300);
  QList<TagPair> tags = rankedTags(3);
  cloud.render(tags);

  cloud.setTagColor(Qt::red);
  QCOMPARE(wordsOf(cloud)["t01"]->defaultTextColor(), QColor(0, 0, 0, 255));
  cloud.render();
  QCOMPARE(wordsOf(cloud)["t01"]->defaultTextColor(), QColor(255, 0, 0, 255));

  cloud.setBackgroundColor(Qt::yellow);
  QCOMPARE(cloud.scene()->backgroundBrush(), QBrush(Qt::yellow, Qt::SolidPattern));
  QCOMPARE(wordsOf(cloud).size(), 3);
}

void TestTagCloudWidget::clearKeepsBackgroundAndSceneRect() {
  QTagCloud cloud;
  cloud.resize(400, 300);
  cloud.setBackgroundColor(Qt::cyan);
  QList<TagPair> tags = rankedTags(4);
  cloud.render(tags);
  const QRectF drawn = cloud.sceneRect();

  cloud.clear();
  QVERIFY(cloud.scene()->items().isEmpty());
  QVERIFY(cloud.pairs().isEmpty());
  QCOMPARE(cloud.sceneRect(), drawn);
  QCOMPARE(cloud.scene()->backgroundBrush().color(), QColor(Qt::cyan));
}

void TestTagCloudWidget::tagCacheSignalFeedsTheCloud() {
  QTagCloud cloud;
  cloud.resize(400, 300);
  TagCache cache;
  connect(&cache, &TagCache::cloudCreated, &cloud, qOverload<QList<TagPair>&>(&QTagCloud::render));
  QList<TagPair> tags = rankedTags(4);
  cloud.render(tags);
  cache.clear();
  QVERIFY(cloud.scene()->items().isEmpty());
}

void TestTagCloudWidget::outOfRangeSettingsStillDraw() {
  QTagCloud cloud;
  cloud.resize(400, 300);
  QList<TagPair> tags = rankedTags(4);

  // Fewer than two levels: every word on the one level there is.
  cloud.setBinCount(1);
  cloud.render(tags);
  for (QGraphicsTextItem* word : wordsOf(cloud)) {
    QCOMPARE(word->font().pointSize(), 40);
    QCOMPARE(word->defaultTextColor().alpha(), 255);
  }
  cloud.setBinCount(0);
  cloud.render();
  QCOMPARE(wordsOf(cloud).size(), 4);

  cloud.setBinCount(10);
  cloud.setMinFontSize(-5);
  cloud.setMaxFontSize(0);
  cloud.render();
  for (QGraphicsTextItem* word : wordsOf(cloud))
    QCOMPARE(word->font().pointSize(), 1);
}

void TestTagCloudWidget::exportWritesImageOfRequestedSize() {
  QTemporaryDir dir;
  QTagCloud cloud;
  cloud.resize(300, 200);
  cloud.setBackgroundColor(QColor(200, 30, 30));
  QList<TagPair> tags = rankedTags(6);
  cloud.render(tags);

  // Much wider than the cloud: the left and right edges lie outside the scene.
  const QString path = dir.filePath("cloud.png");
  QVERIFY(cloud.exportPNG(path, 1200, 60));
  const QImage image(path);
  QCOMPARE(image.size(), QSize(1200, 60));
  QCOMPARE(image.pixelColor(0, 30), QColor(200, 30, 30));
  QCOMPARE(image.pixelColor(1199, 30), QColor(200, 30, 30));

  QVERIFY(cloud.exportPNG(dir.filePath("cloud.jpg"), 80, 90));
  QCOMPARE(QImage(dir.filePath("cloud.jpg")).size(), QSize(80, 90));
}

void TestTagCloudWidget::exportFailureIsReportedAndKeepsOldFile() {
  QTemporaryDir dir;
  QTagCloud cloud;
  QList<TagPair> tags = rankedTags(3);
  cloud.render(tags);

  const QString kept = dir.filePath("cloud.nosuchformat");
  {
    QFile file(kept);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("earlier work");
  }
  QVERIFY(!cloud.exportPNG(kept, 100, 100));
  QFile file(kept);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QCOMPARE(file.readAll(), QByteArray("earlier work"));

  QVERIFY(!cloud.exportPNG(dir.filePath("missing/cloud.png"), 100, 100));
  QVERIFY(!cloud.exportPNG(dir.filePath("empty.png"), 0, 100));
  QVERIFY(!QFile::exists(dir.filePath("empty.png")));
}

QTEST_MAIN(TestTagCloudWidget)
#include "test_tagcloud_widget.moc"
