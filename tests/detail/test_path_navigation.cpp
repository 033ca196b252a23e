// Paths, pages, cells and highlighting of the detail window. The window is never
// shown, so no OpenGL context is needed.

#include "DetailFixture.h"

#include "clusterflow/TulipSetup.h"
#include "tagcloud/tagcache.h"

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <tulip/BooleanProperty.h>

#include <iostream>
#include <set>
#include <tuple>

namespace {

// Types `keys` into the window: D(own), U(p), R(ight), L(eft), E(scape), P(ageDown).
void press(QWidget& widget, char key) {
  const std::map<char, Qt::Key> keys{{'D', Qt::Key_Down},   {'U', Qt::Key_Up},
                                     {'R', Qt::Key_Right},  {'L', Qt::Key_Left},
                                     {'E', Qt::Key_Escape}, {'P', Qt::Key_PageDown}};
  QTest::keyClick(&widget, keys.at(key));
}

// s0>s1>...: a line of `length` stations.
MetroGraph chain(int length) {
  std::string names = "s0", edges;
  for (int i = 1; i < length; ++i) {
    names += " s" + std::to_string(i);
    edges += " s" + std::to_string(i - 1) + ">s" + std::to_string(i);
  }
  return MetroGraph(names, edges);
}

// Captions of the cells, row by row.
QStringList captions(DynamicGraphSmallMultiples& details) {
  QStringList texts;
  for (int cell = 0; cell < 6; ++cell)
    if (QLayoutItem* item = details.smallMultiplesMatrix->itemAtPosition(cell / 3, cell % 3))
      texts << item->widget()->findChild<QLabel*>()->text();
  return texts;
}

void writeTags(const QString& path, const QString& lines) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
  file.write(lines.toUtf8());
}

} // namespace

class TestPathNavigation : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { initTulip(); }

  void pathsFollowDepthFirstOrder_data() {
    QTest::addColumn<QString>("names");
    QTest::addColumn<QString>("edges");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("paths");
    // The path shown on opening, then one per key; Down at the last path and Up at
    // the first stay put.
    const QString fork = "R>A R>B A>C B>D B>E B>F", roots = "R1>X R2>Y R2>Z";
    QTest::newRow("fork, both ends")
        << "R A B C D E F" << fork << "UDDDDDUUUU"
        << QStringList{"R-A-C", "R-A-C", "R-B-D", "R-B-E", "R-B-F", "R-B-F",
                       "R-B-F", "R-B-E", "R-B-D", "R-A-C", "R-A-C"};
    QTest::newRow("two roots") << "R1 X R2 Y Z" << roots << "DDDUU"
                               << QStringList{"R1-X", "R2-Y", "R2-Z", "R2-Z", "R2-Y", "R1-X"};
    QTest::newRow("roots in node order")
        << "R2 Y Z R1 X" << roots << "DD" << QStringList{"R2-Y", "R2-Z", "R1-X"};
    QTest::newRow("root without successor")
        << "A A1 A2 S B B1 B2"
        << "A>A1 A>A2 B>B1 B>B2"
        << "DDDUU" << QStringList{"A-A1", "A-A2", "S", "B-B1", "S", "A-A2"};
  }

  void pathsFollowDepthFirstOrder() {
    QFETCH(QString, names);
    QFETCH(QString, edges);
    QFETCH(QString, keys);
    QFETCH(QStringList, paths);
    MetroGraph metro(names.toStdString(), edges.toStdString());
    InspectableDetails details;
    metro.open(details);
    QStringList walked{pathOf(details, metro)};
    for (QChar key : keys) {
      press(details, key.toLatin1());
      walked << pathOf(details, metro);
    }
    QCOMPARE(walked, paths);
  }

  void highlightShowsExactlyThePath() {
    // C is not coloured; an edge's own colour neither puts it on the line nor keeps it off.
    MetroGraph metro("R B D E C", "R>B B>D B>E E>C");
    auto* colourId = metro.graph->getProperty<tlp::IntegerProperty>("Colour ID");
    colourId->setNodeValue(metro.station["C"], -1);
    colourId->setEdgeValue(metro.graph->existEdge(metro.station["E"], metro.station["C"]), 2);
    colourId->setEdgeValue(metro.graph->existEdge(metro.station["R"], metro.station["B"]), 5);
    auto* mainSelection = metro.graph->getProperty<tlp::BooleanProperty>("viewSelection");
    mainSelection->setNodeValue(metro.station["E"], true);
    InspectableDetails details;
    metro.open(details);
    QCOMPARE(details.indexSubGraph->numberOfNodes(), 4u);
    QCOMPARE(details.indexSubGraph->numberOfEdges(), 3u);

    auto* selection =
        details.indexSubGraph->getLocalProperty<tlp::BooleanProperty>("viewSelection");
    auto selected = [&] {
      std::set<std::string> items;
      for (tlp::node n : details.indexSubGraph->nodes())
        if (selection->getNodeValue(n))
          items.insert(metro.name(n));
      for (tlp::edge e : details.indexSubGraph->edges())
        if (selection->getEdgeValue(e))
          items.insert(metro.name(metro.graph->source(e)) + ">" +
                       metro.name(metro.graph->target(e)));
      return items;
    };
    QCOMPARE(selected(), (std::set<std::string>{"R", "B", "D", "R>B", "B>D"}));
    // B is shared with R-B-E: moving on keeps it, drops D and its edge.
    press(details, 'D');
    QCOMPARE(selected(), (std::set<std::string>{"R", "B", "E", "R>B", "B>E"}));
    // The main window's selection is a different property and stays as it was.
    QVERIFY(mainSelection->getNodeValue(metro.station["E"]) &&
            !mainSelection->getNodeValue(metro.station["B"]));
  }

  // Cells fill two rows of three, row by row. Each case lists the first station
  // shown after opening and after each key: a path change returns to the first
  // page, other keys change nothing.
  void pagesOfSixStations() {
    const std::tuple<int, std::string, std::vector<int>> cases[] = {
        {13, "RRRLLLRDEP", {0, 6, 12, 12, 6, 0, 0, 6, 0, 0, 0}},
        {6, "RLL", {0, 0, 0, 0}},
        {4, "", {0}}};
    for (const auto& [length, keys, pages] : cases) {
      MetroGraph metro = chain(length);
      InspectableDetails details;
      metro.open(details);
      for (std::size_t step = 0; step < pages.size(); ++step) {
        if (step > 0)
          press(details, keys[step - 1]);
        const int first = pages[step], last = std::min(first + 6, length);
        QStringList expected;
        for (int p = first; p < last; ++p)
          expected << QString::fromStdString(createLabel(p, 0, 0));
        QCOMPARE(captions(details), expected);
        QCOMPARE(details.smallMultiplesMatrix->count(), last - first);
      }
    }
  }

  void cellsShowCaptionsAndClouds() {
    // s0 has no file id and is missing from the counts; s1 to s7 have the same tags.
    QTemporaryDir dir;
    writeTags(dir.filePath("news.tags"), "stub\t1.0\n");
    TagCache cache;
    cache.setTagDirPath(dir.path());
    MetroGraph metro = chain(8);
    for (int i = 1; i < 8; ++i) {
      const tlp::node n = metro.station["s" + std::to_string(i)];
      metro.documents[n] = 10 + i;
      metro.terms[n] = 200 + i;
      metro.fileIds[n] = QString(".t%1.c1").arg(i);
      writeTags(dir.filePath(QString("news.t%1.c1.tags").arg(i)),
                "wind\t0.9\nTurbine\t0.5\ngrid\t0.7\n");
    }
    QTagCloud macroCloud;
    macroCloud.setBinCount(4);
    macroCloud.setTagColor(QColor(0, 0, 255));
    macroCloud.setid(4);
    InspectableDetails details;
    metro.open(details, 2, &macroCloud, &cache);
    QLabel* caption =
        details.smallMultiplesMatrix->itemAtPosition(0, 0)->widget()->findChild<QLabel*>();
    QCOMPARE(caption->text(), QString("At time 1: cluster has 0 documents and 0 terms."));
    QVERIFY(caption->minimumHeight() == 14 && caption->maximumHeight() == 14);
    QCOMPARE(details.widgetSeries[0]->pairs(), (QList<TagPair>{{"stub", 1.0}}));
    QTagCloud* cloud = details.widgetSeries[1];
    QCOMPARE(cloud->pairs(), (QList<TagPair>{{"Turbine", 0.5}, {"grid", 0.7}, {"wind", 0.9}}));
    QCOMPARE(cloud->binCount(), 4);
    QCOMPARE(cloud->tagColor(), QColor(0, 0, 255));
    // Cells report -1, not the colour of the main cloud.
    QSignalSpy clicks(cloud, &QTagCloud::displayClicked);
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(3, 3), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(cloud->viewport(), &event);
    QVERIFY(clicks.size() == 1 && clicks.first().at(0).toInt() == -1);

    // The word order survives paging.
    details.setSortAlphabetic(false);
    press(details, 'R');
    QCOMPARE(captions(details),
             (QStringList{"At time 7: cluster has 16 documents and 206 terms.",
                          "At time 8: cluster has 17 documents and 207 terms."}));
    for (QTagCloud* cell : details.widgetSeries)
      QCOMPARE(cell->pairs().first().first, QString("wind"));
  }

  // Graphs from the loader never have cycles; any other graph must not hang the walk.
  void colourWithoutPathShowsNothing() {
    const std::tuple<int, std::string, std::string> cases[] = {
        {7, "A>B B>C C>A", "No roots detected.\n"},
        {2, "A>B B>C C>A", "No roots detected.\n"},
        {2, "A>B B>C C>B", "The stations of colour 2 form a cycle: no path is shown.\n"}};
    for (const auto& [colour, edges, error] : cases) {
      MetroGraph metro("A B C", edges);
      std::ostringstream captured;
      std::streambuf* previous = std::cerr.rdbuf(captured.rdbuf());
      {
        InspectableDetails details;
        metro.open(details, colour);
        std::cerr.rdbuf(previous);
        QCOMPARE(captured.str(), error);
        for (char key : std::string("DURL"))
          press(details, key);
        details.setSortAlphabetic(false);
        QCOMPARE(details.smallMultiplesMatrix->count(), 0);
        QVERIFY(details.curPath.empty());
      }
      QCOMPARE(metro.graph->numberOfSubGraphs(), 0u);
    }
  }

  void replacingTheWindowLeavesNoSubgraph() {
    std::string names, edges;
    for (char colour = '0'; colour <= '9'; ++colour) {
      const std::string s = std::string("c") + colour + "s";
      names += " " + s + "0 " + s + "1 " + s + "2";
      edges += " " + s + "0>" + s + "1 " + s + "1>" + s + "2";
    }
    MetroGraph metro(names, edges);
    for (const auto& [name, n] : metro.station)
      metro.graph->getProperty<tlp::IntegerProperty>("Colour ID")->setNodeValue(n, name[1] - '0');

    auto detailWindows = [] {
      int count = 0;
      for (QWidget* widget : QApplication::topLevelWidgets())
        count += qobject_cast<DynamicGraphSmallMultiples*>(widget) != nullptr;
      return count;
    };
    QWidget owner;
    DynamicGraphSmallMultiples* details = nullptr;
    for (int colour = 0; colour < 10; ++colour) {
      delete details;
      details = new DynamicGraphSmallMultiples(&owner);
      metro.open(*details, colour);
      QCOMPARE(detailWindows(), 1);
      QCOMPARE(metro.graph->numberOfSubGraphs(), 1u);
      QCOMPARE(details->smallMultiplesMatrix->count(), 3);
    }
    // Always its own window, even when an owner is named.
    QVERIFY(details->isWindow() && details->parentWidget() == nullptr);
    delete details;
    QCOMPARE(detailWindows(), 0);
    QCOMPARE(metro.graph->numberOfSubGraphs(), 0u);
  }
};

QTEST_MAIN(TestPathNavigation)
#include "test_path_navigation.moc"
