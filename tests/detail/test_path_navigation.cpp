// Paths, pages, cells and highlighting of the detail window. The window is never
// shown, so no OpenGL context is needed.

#include "DetailFixture.h"

#include "clusterflow/TulipSetup.h"
#include "tagcloud/tagcache.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <tulip/BooleanProperty.h>

#include <set>

namespace {

void open(InspectableDetails& details, MetroGraph& metro, int colour = 2,
          QTagCloud* macroCloud = nullptr, TagCache* cache = nullptr) {
  details.initialize(metro.graph, colour, "news", macroCloud, cache, &metro.fileIds,
                     &metro.documents, &metro.terms);
}

// R forks to A and B; A goes on to C, B forks to D, E and F.
MetroGraph forkedLine() {
  return MetroGraph({"R", "A", "B", "C", "D", "E", "F"},
                    {"R>A", "R>B", "A>C", "B>D", "B>E", "B>F"});
}

std::vector<std::string> chainNames(int length) {
  std::vector<std::string> names;
  for (int i = 0; i < length; ++i)
    names.push_back("s" + std::to_string(i));
  return names;
}

std::vector<std::string> chainEdges(int length) {
  std::vector<std::string> edges;
  for (int i = 1; i < length; ++i)
    edges.push_back("s" + std::to_string(i - 1) + ">s" + std::to_string(i));
  return edges;
}

QStringList expectedCaptions(int from, int to) {
  QStringList texts;
  for (int p = from; p < to; ++p)
    texts << QString::fromStdString(createLabel(p, 0, 0));
  return texts;
}

int detailWindows() {
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets())
    count += qobject_cast<DynamicGraphSmallMultiples*>(widget) != nullptr ? 1 : 0;
  return count;
}

void writeTags(const QString& path, const QStringList& lines) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
  QTextStream(&file) << lines.join('\n') << '\n';
}

} // namespace

class TestPathNavigation : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { initTulip(); }

  void pathsFollowDepthFirstOrder_data();
  void pathsFollowDepthFirstOrder();
  void highlightShowsExactlyThePath();
  void subgraphHoldsEveryEdgeBetweenStations();
  void pagesOfSixStations();
  void pathOfSixHasOnePage();
  void cellsFillTwoRowsOfThree();
  void captionsGiveDocumentsAndTerms();
  void missingMapEntriesCountAsZero();
  void cellCloudsFollowTheMainCloud();
  void wordOrderSurvivesPaging();
  void colourWithoutRootsShowsNothing();
  void cyclicColourShowsNoPath();
  void replacingTheWindowLeavesNoSubgraph();
};

void TestPathNavigation::pathsFollowDepthFirstOrder_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<QString>("keys");
  QTest::addColumn<QStringList>("paths");

  // The first path is the one shown on opening, then one path per key.
  // Kind 0: the forked line. Down at the last path and Up at the first stay put.
  QTest::newRow("down through the fork")
      << 0 << "DDDD" << QStringList{"R-A-C", "R-B-D", "R-B-E", "R-B-F", "R-B-F"};
  QTest::newRow("up at the first path")
      << 0 << "UDU" << QStringList{"R-A-C", "R-A-C", "R-B-D", "R-A-C"};
  QTest::newRow("up after rebuilding the last path")
      << 0 << "DDDDUUU"
      << QStringList{"R-A-C", "R-B-D", "R-B-E", "R-B-F", "R-B-F", "R-B-E", "R-B-D", "R-A-C"};
  // Kind 1: two roots, R1-X and R2 forking to Y and Z.
  QTest::newRow("two roots") << 1 << "DDDUU"
                             << QStringList{"R1-X", "R2-Y", "R2-Z", "R2-Z", "R2-Y", "R1-X"};
  // Kind 2: the same with R2 first in node order.
  QTest::newRow("roots in node order") << 2 << "DD" << QStringList{"R2-Y", "R2-Z", "R1-X"};
  // Kind 3: a root without successor between two forking roots.
  QTest::newRow("lone root") << 3 << "DDDUU"
                             << QStringList{"A-A1", "A-A2", "S", "B-B1", "S", "A-A2"};
}

void TestPathNavigation::pathsFollowDepthFirstOrder() {
  QFETCH(int, kind);
  QFETCH(QString, keys);
  QFETCH(QStringList, paths);

  std::unique_ptr<MetroGraph> metro;
  if (kind == 0)
    metro.reset(new MetroGraph({"R", "A", "B", "C", "D", "E", "F"},
                               {"R>A", "R>B", "A>C", "B>D", "B>E", "B>F"}));
  else if (kind == 1)
    metro.reset(new MetroGraph({"R1", "X", "R2", "Y", "Z"}, {"R1>X", "R2>Y", "R2>Z"}));
  else if (kind == 2)
    metro.reset(new MetroGraph({"R2", "Y", "Z", "R1", "X"}, {"R1>X", "R2>Y", "R2>Z"}));
  else
    metro.reset(
        new MetroGraph({"A", "A1", "A2", "S", "B", "B1", "B2"}, {"A>A1", "A>A2", "B>B1", "B>B2"}));
  InspectableDetails details;
  open(details, *metro);

  QStringList walked{pathOf(details, *metro)};
  for (QChar key : keys) {
    QTest::keyClick(&details, key == 'D' ? Qt::Key_Down : Qt::Key_Up);
    walked << pathOf(details, *metro);
  }
  QCOMPARE(walked, paths);
}

void TestPathNavigation::highlightShowsExactlyThePath() {
  MetroGraph metro = forkedLine();
  auto* mainSelection = metro.graph->getProperty<tlp::BooleanProperty>("viewSelection");
  mainSelection->setNodeValue(metro.station["F"], true);
  InspectableDetails details;
  open(details, metro);
  QTest::keyClick(&details, Qt::Key_Down);
  QCOMPARE(pathOf(details, metro), QString("R-B-D"));

  QVERIFY(details.indexSubGraph->existLocalProperty("viewSelection"));
  auto* selection = details.indexSubGraph->getLocalProperty<tlp::BooleanProperty>("viewSelection");
  std::set<std::string> nodes, edges;
  for (tlp::node n : details.indexSubGraph->nodes())
    if (selection->getNodeValue(n))
      nodes.insert(metro.name(n));
  for (tlp::edge e : details.indexSubGraph->edges())
    if (selection->getEdgeValue(e))
      edges.insert(metro.name(details.indexSubGraph->source(e)) + ">" +
                   metro.name(details.indexSubGraph->target(e)));
  QCOMPARE(nodes, (std::set<std::string>{"R", "B", "D"}));
  QCOMPARE(edges, (std::set<std::string>{"R>B", "B>D"}));

  // B is shared with R-B-E: moving on keeps it, drops D and its edge.
  QTest::keyClick(&details, Qt::Key_Down);
  QVERIFY(selection->getNodeValue(metro.station["B"]));
  QVERIFY(selection->getNodeValue(metro.station["E"]));
  QVERIFY(!selection->getNodeValue(metro.station["D"]));
  QVERIFY(!selection->getEdgeValue(metro.graph->existEdge(metro.station["B"], metro.station["D"])));

  // The main window's selection is a different property and stays as it was.
  QVERIFY(mainSelection->getNodeValue(metro.station["F"]));
  QVERIFY(!mainSelection->getNodeValue(metro.station["E"]));
}

void TestPathNavigation::subgraphHoldsEveryEdgeBetweenStations() {
  MetroGraph metro({"A", "B", "C", "out"}, {"A>B", "B>C", "C>out"}, {"out"});
  // The edge's own colour is not what puts it on the line.
  auto* colourId = metro.graph->getProperty<tlp::IntegerProperty>("Colour ID");
  colourId->setEdgeValue(metro.graph->existEdge(metro.station["B"], metro.station["C"]), 5);
  InspectableDetails details;
  open(details, metro);

  QCOMPARE(details.indexSubGraph->numberOfNodes(), 3u);
  QCOMPARE(details.indexSubGraph->numberOfEdges(), 2u);
  QVERIFY(!details.indexSubGraph->isElement(metro.station["out"]));
  QCOMPARE(pathOf(details, metro), QString("A-B-C"));
}

void TestPathNavigation::pagesOfSixStations() {
  MetroGraph metro(chainNames(13), chainEdges(13));
  InspectableDetails details;
  open(details, metro);
  QCOMPARE(captions(details), expectedCaptions(0, 6));

  QTest::keyClick(&details, Qt::Key_Right);
  QCOMPARE(captions(details), expectedCaptions(6, 12));
  QTest::keyClick(&details, Qt::Key_Right);
  QCOMPARE(captions(details), expectedCaptions(12, 13));
  QTest::keyClick(&details, Qt::Key_Right);
  QCOMPARE(captions(details), expectedCaptions(12, 13));
  QCOMPARE(details.smallMultiplesMatrix->count(), 1);

  QTest::keyClick(&details, Qt::Key_Left);
  QCOMPARE(captions(details), expectedCaptions(6, 12));
  QTest::keyClick(&details, Qt::Key_Left);
  QTest::keyClick(&details, Qt::Key_Left);
  QCOMPARE(captions(details), expectedCaptions(0, 6));
  QCOMPARE(details.smallMultiplesMatrix->count(), 6);

  // A path change returns to the first page; other keys change nothing.
  QTest::keyClick(&details, Qt::Key_Right);
  QTest::keyClick(&details, Qt::Key_Down);
  QCOMPARE(captions(details), expectedCaptions(0, 6));
  QTest::keyClick(&details, Qt::Key_Escape);
  QTest::keyClick(&details, Qt::Key_PageDown);
  QCOMPARE(captions(details), expectedCaptions(0, 6));
}

void TestPathNavigation::pathOfSixHasOnePage() {
  MetroGraph metro(chainNames(6), chainEdges(6));
  InspectableDetails details;
  open(details, metro);
  for (Qt::Key key : {Qt::Key_Right, Qt::Key_Left, Qt::Key_Left}) {
    QTest::keyClick(&details, key);
    QCOMPARE(captions(details), expectedCaptions(0, 6));
    QCOMPARE(details.smallMultiplesMatrix->count(), 6);
  }
}

void TestPathNavigation::cellsFillTwoRowsOfThree() {
  MetroGraph four(chainNames(4), chainEdges(4));
  InspectableDetails fourCells;
  open(fourCells, four);
  QCOMPARE(fourCells.smallMultiplesMatrix->count(), 4);
  for (int column = 0; column < 3; ++column)
    QVERIFY(captionAt(fourCells, 0, column) != nullptr);
  QCOMPARE(captionAt(fourCells, 1, 0)->text(), QString::fromStdString(createLabel(3, 0, 0)));
  QVERIFY(captionAt(fourCells, 1, 1) == nullptr);
  QCOMPARE(captions(fourCells), expectedCaptions(0, 4));

  MetroGraph nine(chainNames(9), chainEdges(9));
  InspectableDetails nineCells;
  open(nineCells, nine);
  QCOMPARE(nineCells.smallMultiplesMatrix->count(), 6);
  QCOMPARE(captionAt(nineCells, 1, 2)->text(), QString::fromStdString(createLabel(5, 0, 0)));
  QCOMPARE(captions(nineCells), expectedCaptions(0, 6));
}

void TestPathNavigation::captionsGiveDocumentsAndTerms() {
  QCOMPARE(createLabel(0, 12, 340),
           std::string("At time 1: cluster has 12 documents and 340 terms."));
  QCOMPARE(createLabel(99, 0, 7), std::string("At time 100: cluster has 0 documents and 7 terms."));

  MetroGraph metro(chainNames(8), chainEdges(8));
  for (int i = 0; i < 8; ++i) {
    metro.documents[metro.station["s" + std::to_string(i)]] = 10 + i;
    metro.terms[metro.station["s" + std::to_string(i)]] = 200 + i;
  }
  InspectableDetails details;
  open(details, metro);
  QTest::keyClick(&details, Qt::Key_Right);
  QCOMPARE(captions(details), (QStringList{"At time 7: cluster has 16 documents and 206 terms.",
                                           "At time 8: cluster has 17 documents and 207 terms."}));
  QCOMPARE(captionAt(details, 0, 0)->minimumHeight(), 14);
  QCOMPARE(captionAt(details, 0, 0)->maximumHeight(), 14);
}

void TestPathNavigation::missingMapEntriesCountAsZero() {
  QTemporaryDir dir;
  writeTags(dir.filePath("news.tags"), {"stub\t1.0"});
  writeTags(dir.filePath("news.t2.c1.tags"), {"known\t1.0"});
  TagCache cache;
  cache.setTagDirPath(dir.path());

  MetroGraph metro({"A", "B"}, {"A>B"});
  metro.fileIds[metro.station["B"]] = ".t2.c1";
  metro.documents[metro.station["B"]] = 4;
  InspectableDetails details;
  open(details, metro, 2, nullptr, &cache);

  QCOMPARE(captions(details), (QStringList{"At time 1: cluster has 0 documents and 0 terms.",
                                           "At time 2: cluster has 4 documents and 0 terms."}));
  // A station without file id is asked for by the stub alone.
  QCOMPARE(details.widgetSeries[0]->pairs(), (QList<TagPair>{{"stub", 1.0}}));
  QCOMPARE(details.widgetSeries[1]->pairs(), (QList<TagPair>{{"known", 1.0}}));
  QCOMPARE(metro.documents.at(metro.station["A"]), 0u);
  QCOMPARE(metro.terms.at(metro.station["B"]), 0u);
  QCOMPARE(metro.fileIds.at(metro.station["A"]), QString());
}

void TestPathNavigation::cellCloudsFollowTheMainCloud() {
  QTemporaryDir dir;
  writeTags(dir.filePath("news.t1.c3.tags"), {"wind\t0.9", "Turbine\t0.5", "grid\t0.7"});
  TagCache cache;
  cache.setTagDirPath(dir.path());
  QTagCloud macroCloud;
  macroCloud.setBinCount(4);
  macroCloud.setTagColor(QColor(0, 0, 255));
  macroCloud.setBackgroundColor(QColor(240, 240, 200));
  macroCloud.setTagFont(QFont("Verdana"));
  macroCloud.setMinFontSize(9);
  macroCloud.setMaxFontSize(21);
  macroCloud.setid(4);

  MetroGraph metro({"A"}, {});
  metro.fileIds[metro.station["A"]] = ".t1.c3";
  InspectableDetails details;
  open(details, metro, 2, &macroCloud, &cache);

  QCOMPARE(details.widgetSeries.size(), std::size_t(1));
  QTagCloud* cloud = details.widgetSeries[0];
  QCOMPARE(cloud->binCount(), 4);
  QCOMPARE(cloud->tagColor(), QColor(0, 0, 255));
  QCOMPARE(cloud->backgroundColor(), QColor(240, 240, 200));
  QCOMPARE(cloud->tagFont().family(), QFont("Verdana").family());
  QCOMPARE(cloud->minFontSize(), 9);
  QCOMPARE(cloud->maxFontSize(), 21);
  QCOMPARE(cloud->pairs(), (QList<TagPair>{{"Turbine", 0.5}, {"grid", 0.7}, {"wind", 0.9}}));

  // Cells report -1, not the colour of the main cloud.
  QSignalSpy clicks(cloud, &QTagCloud::displayClicked);
  QMouseEvent event(QEvent::MouseButtonPress, QPointF(3, 3), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(cloud->viewport(), &event);
  QCOMPARE(clicks.size(), 1);
  QCOMPARE(clicks.first().at(0).toInt(), -1);
}

void TestPathNavigation::wordOrderSurvivesPaging() {
  QTemporaryDir dir;
  TagCache cache;
  cache.setTagDirPath(dir.path());
  MetroGraph metro(chainNames(8), chainEdges(8));
  for (int i = 0; i < 8; ++i) {
    metro.fileIds[metro.station["s" + std::to_string(i)]] = QString(".t%1.c1").arg(i + 1);
    writeTags(dir.filePath(QString("news.t%1.c1.tags").arg(i + 1)), {"alpha\t0.1", "beta\t0.9"});
  }
  InspectableDetails details;
  open(details, metro, 2, nullptr, &cache);
  QCOMPARE(details.widgetSeries[0]->pairs().first().first, QString("alpha"));

  details.setSortAlphabetic(false);
  for (QTagCloud* cloud : details.widgetSeries)
    QCOMPARE(cloud->pairs().first().first, QString("beta"));
  QTest::keyClick(&details, Qt::Key_Right);
  QCOMPARE(details.widgetSeries.size(), std::size_t(2));
  for (QTagCloud* cloud : details.widgetSeries) {
    QVERIFY(!cloud->sortAlphabetic());
    QCOMPARE(cloud->pairs().first().first, QString("beta"));
  }
}

void TestPathNavigation::colourWithoutRootsShowsNothing() {
  // Colour 7 is not used at all; colour 2 is a ring without a start.
  MetroGraph metro({"A", "B", "C"}, {"A>B", "B>C", "C>A"});
  for (int colour : {7, 2}) {
    InspectableDetails details;
    ErrorCapture errors;
    open(details, metro, colour);
    QCOMPARE(errors.text(), std::string("No roots detected.\n"));
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Right, Qt::Key_Left})
      QTest::keyClick(&details, key);
    details.setSortAlphabetic(false);
    QCOMPARE(details.smallMultiplesMatrix->count(), 0);
    QVERIFY(details.curPath.empty());
  }
  QCOMPARE(metro.graph->numberOfSubGraphs(), 0u);
}

void TestPathNavigation::cyclicColourShowsNoPath() {
  // Graphs from the loader never have cycles; any other graph must not hang the walk.
  MetroGraph metro({"S", "A", "B"}, {"S>A", "A>B", "B>A"});
  InspectableDetails details;
  ErrorCapture errors;
  open(details, metro);
  QCOMPARE(errors.text(),
           std::string("The stations of colour 2 form a cycle: no path is shown.\n"));
  QTest::keyClick(&details, Qt::Key_Down);
  QTest::keyClick(&details, Qt::Key_Right);
  QCOMPARE(details.smallMultiplesMatrix->count(), 0);
  QVERIFY(details.curPath.empty());
}

void TestPathNavigation::replacingTheWindowLeavesNoSubgraph() {
  std::vector<std::string> names, edges;
  for (int colour = 0; colour < 10; ++colour) {
    const std::string stem = "c" + std::to_string(colour) + "s";
    for (int i = 0; i < 3; ++i)
      names.push_back(stem + std::to_string(i));
    edges.push_back(stem + "0>" + stem + "1");
    edges.push_back(stem + "1>" + stem + "2");
  }
  MetroGraph metro(names, edges);
  auto* colourId = metro.graph->getProperty<tlp::IntegerProperty>("Colour ID");
  for (int colour = 0; colour < 10; ++colour)
    for (int i = 0; i < 3; ++i)
      colourId->setNodeValue(metro.station["c" + std::to_string(colour) + "s" + std::to_string(i)],
                             colour);

  QWidget owner;
  DynamicGraphSmallMultiples* details = nullptr;
  for (int colour = 0; colour < 10; ++colour) {
    delete details;
    details = new DynamicGraphSmallMultiples(&owner);
    details->initialize(metro.graph, colour, "news", nullptr, nullptr, &metro.fileIds,
                        &metro.documents, &metro.terms);
    QCOMPARE(detailWindows(), 1);
    QCOMPARE(metro.graph->numberOfSubGraphs(), 1u);
    QCOMPARE(details->smallMultiplesMatrix->count(), 3);
  }
  // Always its own window, even when an owner is named.
  QVERIFY(details->isWindow());
  QVERIFY(details->parentWidget() == nullptr);
  delete details;
  QCOMPARE(detailWindows(), 0);
  QCOMPARE(metro.graph->numberOfSubGraphs(), 0u);
}

QTEST_MAIN(TestPathNavigation)
#include "test_path_navigation.moc"
