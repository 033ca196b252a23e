// The tag-cloud widget: size levels, word placement, clicks and image export.

#include "tagcloud/tagcache.h"
#include "tagcloud/tagcloud.h"

#include <QtTest>
#include <QtWidgets>

#include <algorithm>

namespace {

using Words = QHash<QString, QGraphicsTextItem*>;

// Tags "t01" ... "tNN" with weights count down to 1, so "t01" is the heaviest.
QList<TagPair> rankedTags(int count) {
  QList<TagPair> tags;
  for (int i = 1; i <= count; ++i)
    tags.append({QString("t%1").arg(i, 2, 10, QChar('0')), double(count - i + 1)});
  return tags;
}

Words wordsOf(QTagCloud& cloud) {
  Words words;
  for (QGraphicsItem* item : cloud.scene()->items())
    if (auto* text = qgraphicsitem_cast<QGraphicsTextItem*>(item))
      words.insert(text->toPlainText(), text);
  return words;
}

Words draw(QTagCloud& cloud, QList<TagPair> tags, int width = 600, int height = 400) {
  cloud.resize(width, height);
  cloud.render(tags);
  return wordsOf(cloud);
}

int rowCount(QTagCloud& cloud) {
  QSet<int> baselines;
  for (QGraphicsTextItem* word : wordsOf(cloud))
    baselines.insert(qRound(word->y()) + QFontMetrics(word->font()).ascent());
  return baselines.size();
}

// Draws the tags and gives the point size, alpha and style of each, in the tags' order.
QStringList looks(QTagCloud& cloud, QList<TagPair> tags) {
  const Words words = draw(cloud, tags);
  QStringList result;
  for (const TagPair& tag : tags) {
    const QGraphicsTextItem* word = words.value(tag.first);
    if (!word)
      return result << tag.first + " missing";
    const QFont font = word->font();
    result << QString("%1 %2%3%4").arg(font.pointSize()).arg(word->defaultTextColor().alpha())
                  .arg(font.bold() ? " bold" : "").arg(font.italic() ? " italic" : "");
  }
  return result;
}

// Distance of the word's centre from x.
double offCentre(QGraphicsTextItem* word, double x) {
  const int width = QFontMetrics(word->font()).horizontalAdvance(word->toPlainText());
  return qAbs(word->x() + width / 2.0 - x);
}

void press(QTagCloud& cloud, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent event(QEvent::MouseButtonPress, QPointF(5, 5), button, held, Qt::NoModifier);
  QApplication::sendEvent(cloud.viewport(), &event);
}

} // namespace

class TestTagCloudWidget : public QObject {
  Q_OBJECT

private slots:
  void levelsFollowRank();
  void displayOrderFollowsSetting();
  void rowsCentreLonelyWordsAndKeepTheLargestDescent();
  void leftPressAloneReportsId();
  void resizeReflowsWords();
  void settingsShowAtNextDrawingAndClearKeepsTheBackground();
  void exportWritesTheRequestedSizeAndKeepsOldFilesOnFailure();
};

void TestTagCloudWidget::levelsFollowRank() {
  QTagCloud cloud;
  // perBin = 24 / 9 = 2: levels 1 to 8 get two tags each, level 9 the last eight.
  const int sizes[] = {40, 36, 33, 30, 27, 25, 22, 19, 16, 14};
  const int alphas[] = {255, 238, 222, 205, 189, 172, 156, 139, 123, 106};
  QStringList expected{"40 255 bold"};
  for (int rank = 1; rank < 25; ++rank) {
    const int level = std::min((rank - 1) / 2 + 1, 9);
    expected << QString("%1 %2").arg(sizes[level]).arg(alphas[level]);
  }
  QCOMPARE(looks(cloud, rankedTags(25)), expected);

  // Few tags, or equal weights: only the top and the bottom level.
  cloud.setTagColor(QColor(10, 120, 200));
  QCOMPARE(looks(cloud, rankedTags(3)), QStringList({"40 255 bold", "14 106", "14 106"}));
  QCOMPARE(wordsOf(cloud)["t03"]->defaultTextColor(), QColor(10, 120, 200, 106));
  QList<TagPair> equal{{"a", 1.0}, {"b", 1.0}, {"c", 1.0}};
  QStringList equalLooks = looks(cloud, equal);
  std::sort(equalLooks.begin(), equalLooks.end());
  QCOMPARE(equalLooks, QStringList({"14 106", "14 106", "40 255 bold"}));

  // Fewer than two levels: every word on the one level there is.
  cloud.setBinCount(1);
  QCOMPARE(looks(cloud, rankedTags(3)), QStringList({"40 255 bold", "40 255", "40 255"}));
  cloud.setBinCount(0);
  QCOMPARE(draw(cloud, rankedTags(3)).size(), 3);
  cloud.setBinCount(10);
  cloud.setMinFontSize(-5);
  cloud.setMaxFontSize(0);
  for (const QString& look : looks(cloud, rankedTags(3)))
    QVERIFY2(look.startsWith("1 "), qPrintable(look));
}

void TestTagCloudWidget::displayOrderFollowsSetting() {
  QTagCloud cloud;
  Words words = draw(cloud, {{"beta", 1.0}, {"alpha", 3.0}, {"Zeta", 2.0}}, 2000);
  // Tag order compares code units: upper case before lower case.
  QCOMPARE(cloud.pairs(), (QList<TagPair>{{"Zeta", 2.0}, {"alpha", 3.0}, {"beta", 1.0}}));
  QVERIFY(words["Zeta"]->x() < words["alpha"]->x() && words["alpha"]->x() < words["beta"]->x());

  cloud.setSortAlphabetic(false);
  cloud.render();
  QCOMPARE(cloud.pairs(), (QList<TagPair>{{"alpha", 3.0}, {"Zeta", 2.0}, {"beta", 1.0}}));
  words = wordsOf(cloud);
  QVERIFY(words["alpha"]->x() < words["Zeta"]->x() && words["Zeta"]->x() < words["beta"]->x());
}

void TestTagCloudWidget::rowsCentreLonelyWordsAndKeepTheLargestDescent() {
  QTagCloud cloud;
  QGraphicsTextItem* word = draw(cloud, {{"solar", 0.5}}, 500, 300)["solar"];
  QVERIFY(word->font().bold());
  QCOMPARE(word->font().pointSize(), 40);
  QVERIFY(offCentre(word, 250) <= 1.0);
  QCOMPARE(word->y(), 0.0);
  QCOMPARE(cloud.sceneRect(), QRectF(0, 0, 500, QFontMetrics(word->font()).height()));

  // The heaviest word is also too wide and comes first: breaking before it must
  // not leave an empty first row.
  Words words = draw(cloud, {{"aaaaaaaaaaaaaaaaaaaa", 5.0}, {"b", 1.0}, {"c", 1.0}}, 150);
  QGraphicsTextItem* wide = words["aaaaaaaaaaaaaaaaaaaa"];
  QCOMPARE(wide->y(), 0.0);
  QVERIFY(wide->x() < 0);
  QVERIFY(offCentre(wide, 75) <= 1.0);
  QVERIFY(words["b"]->y() > 0);
  QCOMPARE(words["b"]->y(), words["c"]->y());
  QCOMPARE(rowCount(cloud), 2);

  // Narrow enough that every word has a row of its own: the rows keep the largest descent.
  words = draw(cloud, {{"big", 9.0}, {"mmmmmm", 1.0}, {"nnnnnn", 1.0}, {"oooooo", 1.0}}, 100);
  const QFontMetrics big(words["big"]->font()), small(words["nnnnnn"]->font());
  QVERIFY(big.descent() > small.descent());
  const double step = small.height() - small.descent() + big.descent();
  QCOMPARE(words["nnnnnn"]->y() - words["mmmmmm"]->y(), step);
  QCOMPARE(words["oooooo"]->y() - words["nnnnnn"]->y(), step);
  QCOMPARE(cloud.sceneRect().height(), words["oooooo"]->y() + step);
}

void TestTagCloudWidget::leftPressAloneReportsId() {
  QTagCloud cloud;
  QSignalSpy clicks(&cloud, &QTagCloud::displayClicked);
  press(cloud, Qt::LeftButton, Qt::LeftButton);
  cloud.setid(7);
  press(cloud, Qt::LeftButton, Qt::LeftButton);
  press(cloud, Qt::RightButton, Qt::RightButton);
  press(cloud, Qt::MiddleButton, Qt::MiddleButton);
  press(cloud, Qt::LeftButton, Qt::LeftButton | Qt::RightButton);
  QCOMPARE(clicks.size(), 2);
  QCOMPARE(clicks[0][0].toInt(), -1);
  QCOMPARE(clicks[1][0].toInt(), 7);
}

void TestTagCloudWidget::resizeReflowsWords() {
  QTagCloud cloud;
  cloud.resize(900, 300);
  cloud.show();
  QVERIFY(QTest::qWaitForWindowExposed(&cloud));
  draw(cloud, rankedTags(8), 900, 300);
  QCOMPARE(rowCount(cloud), 1);
  cloud.resize(120, 300);
  QCOMPARE(cloud.sceneRect().width(), 120.0);
  QVERIFY(rowCount(cloud) > 2);
}

void TestTagCloudWidget::settingsShowAtNextDrawingAndClearKeepsTheBackground() {
  QTagCloud cloud;
  draw(cloud, rankedTags(3));
  cloud.setTagColor(Qt::red);
  QCOMPARE(wordsOf(cloud)["t01"]->defaultTextColor(), QColor(0, 0, 0, 255));
  cloud.render();
  QCOMPARE(wordsOf(cloud)["t01"]->defaultTextColor(), QColor(255, 0, 0, 255));
  // The background changes at once.
  cloud.setBackgroundColor(Qt::yellow);
  QCOMPARE(cloud.scene()->backgroundBrush(), QBrush(Qt::yellow, Qt::SolidPattern));
  QCOMPARE(wordsOf(cloud).size(), 3);

  const QRectF drawn = cloud.sceneRect();
  cloud.clear();
  QVERIFY(cloud.scene()->items().isEmpty() && cloud.pairs().isEmpty());
  QCOMPARE(cloud.sceneRect(), drawn);
  QCOMPARE(cloud.scene()->backgroundBrush().color(), QColor(Qt::yellow));

  // Clearing the tag cache clears the cloud it feeds.
  TagCache cache;
  connect(&cache, &TagCache::cloudCreated, &cloud, qOverload<QList<TagPair>&>(&QTagCloud::render));
  draw(cloud, rankedTags(4));
  cache.clear();
  QVERIFY(cloud.scene()->items().isEmpty());
}

void TestTagCloudWidget::exportWritesTheRequestedSizeAndKeepsOldFilesOnFailure() {
  QTemporaryDir dir;
  QTagCloud cloud;
  cloud.setBackgroundColor(QColor(200, 30, 30));
  draw(cloud, rankedTags(6), 300, 200);
  // Much wider than the cloud: the left and right edges lie outside the scene.
  QVERIFY(cloud.exportPNG(dir.filePath("cloud.png"), 1200, 60));
  const QImage image(dir.filePath("cloud.png"));
  QCOMPARE(image.size(), QSize(1200, 60));
  QCOMPARE(image.pixelColor(0, 30), QColor(200, 30, 30));
  QCOMPARE(image.pixelColor(1199, 30), QColor(200, 30, 30));
  QVERIFY(cloud.exportPNG(dir.filePath("cloud.jpg"), 80, 90));
  QCOMPARE(QImage(dir.filePath("cloud.jpg")).size(), QSize(80, 90));

  QFile kept(dir.filePath("cloud.nosuchformat"));
  QVERIFY(kept.open(QIODevice::WriteOnly));
  kept.write("earlier work");
  kept.close();
  QVERIFY(!cloud.exportPNG(kept.fileName(), 100, 100));
  QVERIFY(kept.open(QIODevice::ReadOnly));
  QCOMPARE(kept.readAll(), QByteArray("earlier work"));
  QVERIFY(!cloud.exportPNG(dir.filePath("missing/cloud.png"), 100, 100));
  // Images that the raster engine could only paint cut are refused.
  for (const QSize& size : {QSize(0, 100), QSize(40000, 10), QSize(9000, 9000)})
    QVERIFY(!cloud.exportPNG(dir.filePath("refused.png"), size.width(), size.height()));
  QVERIFY(!QFile::exists(dir.filePath("refused.png")));
}

QTEST_MAIN(TestTagCloudWidget)
#include "test_tagcloud_widget.moc"
