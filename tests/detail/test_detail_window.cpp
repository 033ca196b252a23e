// Paths, pages and highlighting of the detail window, and the window on screen
// with its OpenGL view.

#include "clusterflow/TulipSetup.h"
#include "detail/DynamicGraphSmallMultiples.h"
#include "tagcloud/tagcache.h"
#include "tagcloud/tagcloud.h"

#include <QGridLayout>
#include <QLabel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <tulip/BooleanProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlGraphInputData.h>
#include <tulip/GlMainWidget.h>
#include <tulip/IntegerProperty.h>
#include <tulip/StringProperty.h>

#include <iostream>
#include <set>
#include <sstream>
#include <tuple>

namespace {

struct Details : DynamicGraphSmallMultiples {
  using DynamicGraphSmallMultiples::curPath;
  using DynamicGraphSmallMultiples::DynamicGraphSmallMultiples;
  using DynamicGraphSmallMultiples::indexSubGraph;
  using DynamicGraphSmallMultiples::widgetSeries;
};

// A graph of stations named in `names` ("R A B") joined by `edges` ("R>A R>B"),
// labelled with their names. Every station has colour 2, no edge has a colour.
struct MetroGraph {
  MetroGraph(const std::string& names, const std::string& edges) : graph(tlp::newGraph()) {
    graph->getProperty<tlp::IntegerProperty>("Colour ID")->setAllNodeValue(2);
    graph->getProperty<tlp::IntegerProperty>("Colour ID")->setAllEdgeValue(-1);
    std::istringstream nameList(names), edgeList(edges);
    for (std::string name; nameList >> name;)
      graph->getProperty<tlp::StringProperty>("viewLabel")
          ->setNodeValue(station[name] = graph->addNode(), name);
    for (std::string edge; edgeList >> edge;)
      graph->addEdge(station.at(edge.substr(0, edge.find('>'))),
                     station.at(edge.substr(edge.find('>') + 1)));
  }
  ~MetroGraph() { delete graph; }

  std::string name(tlp::node n) const {
    return graph->getProperty<tlp::StringProperty>("viewLabel")->getNodeValue(n);
  }
  tlp::edge edge(const char* from, const char* to) {
    return graph->existEdge(station.at(from), station.at(to));
  }
  void open(DynamicGraphSmallMultiples& details, int colour = 2, TagCache* cache = nullptr) {
    details.initialize(graph, colour, "news", nullptr, cache, &fileIds, &documents, &terms,
                       &clusterTimes);
  }
  // The current path as "R-A-C".
  QString pathOf(const Details& details) const {
    QStringList names;
    for (const auto& entry : details.curPath)
      names << QString::fromStdString(name(entry.first));
    return names.join('-');
  }

  tlp::Graph* graph;
  std::map<std::string, tlp::node> station;
  NodeToFileId fileIds;
  NodeToCount documents, terms;
  NodeToClusterTime clusterTimes;
};

// Types `keys` into the window: D(own), U(p), R(ight), L(eft), E(scape), P(ageDown).
void press(QWidget& widget, const std::string& keys) {
  const std::map<char, Qt::Key> codes{{'D', Qt::Key_Down},   {'U', Qt::Key_Up},
                                      {'R', Qt::Key_Right},  {'L', Qt::Key_Left},
                                      {'E', Qt::Key_Escape}, {'P', Qt::Key_PageDown}};
  for (char key : keys)
    QTest::keyClick(&widget, codes.at(key));
}

// Captions of the cells, row by row.
QStringList captions(DynamicGraphSmallMultiples& details) {
  QStringList texts;
  for (int cell = 0; cell < 6; ++cell)
    if (QLayoutItem* item = details.smallMultiplesMatrix->itemAtPosition(cell / 3, cell % 3))
      texts << item->widget()->findChild<QLabel*>()->text();
  return texts;
}

} // namespace

class TestDetailWindow : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { initTulip(); }

  // The path shown on opening, then one per key, with its number in the status
  // bar; Down at the last path and Up at the first stay put; roots come in node
  // order.
  void pathsFollowDepthFirstOrder() {
    const std::tuple<std::string, std::string, std::string, QStringList> cases[] = {
        {"R A B C D E F",
         "R>A R>B A>C B>D B>E B>F",
         "UDDDDDUUUU",
         {"R-A-C 1/4", "R-A-C 1/4", "R-B-D 2/4", "R-B-E 3/4", "R-B-F 4/4", "R-B-F 4/4", "R-B-F 4/4",
          "R-B-E 3/4", "R-B-D 2/4", "R-A-C 1/4", "R-A-C 1/4"}},
        {"R2 Y Z R1 X", "R1>X R2>Y R2>Z", "DD", {"R2-Y 1/3", "R2-Z 2/3", "R1-X 3/3"}},
        {"A A1 A2 S B B1 B2",
         "A>A1 A>A2 B>B1 B>B2",
         "DDDUU",
         {"A-A1 1/5", "A-A2 2/5", "S 3/5", "B-B1 4/5", "S 3/5", "A-A2 2/5"}},
        // Two forks in a row: a station's number counts every path through the
        // earlier successors of the stations before it.
        {"R A B C D E",
         "R>A R>B A>C A>D B>C C>E D>E",
         "DDD",
         {"R-A-C-E 1/3", "R-A-D-E 2/3", "R-B-C-E 3/3", "R-B-C-E 3/3"}}};
    for (const auto& [names, edges, keys, paths] : cases) {
      MetroGraph metro(names, edges);
      Details details;
      metro.open(details);
      auto shown = [&] {
        const QStringList words = details.statusBar->currentMessage().split(' ');
        return metro.pathOf(details) + ' ' + words.value(1) + '/' + words.value(3);
      };
      QStringList walked{shown()};
      for (char key : keys) {
        press(details, {key});
        walked << shown();
      }
      QCOMPARE(walked, paths);
    }
    // 65 forks in a row make more paths than a 64-bit count holds: the total is
    // given as a bound, not as the number where the count stopped.
    std::string names = "S0", edges;
    for (int i = 0; i < 65; ++i) {
      const std::string at = std::to_string(i), next = std::to_string(i + 1);
      names += " a" + at + " b" + at + " S" + next;
      edges += " S" + at + ">a" + at + " S" + at + ">b" + at + " a" + at + ">S" + next + " b" +
               at + ">S" + next;
    }
    MetroGraph braid(names, edges);
    Details details;
    braid.open(details);
    QVERIFY(details.statusBar->currentMessage().startsWith("Path 1 of more than 1.8e+19 - "));
  }

  void highlightShowsExactlyThePath() {
    // C is not coloured; an edge's own colour neither puts it on the line nor keeps it off.
    MetroGraph metro("R B D E C", "R>B B>D B>E E>C");
    auto* colourId = metro.graph->getProperty<tlp::IntegerProperty>("Colour ID");
    colourId->setNodeValue(metro.station["C"], -1);
    colourId->setEdgeValue(metro.edge("E", "C"), 2);
    colourId->setEdgeValue(metro.edge("R", "B"), 5);
    auto* mainSelection = metro.graph->getProperty<tlp::BooleanProperty>("viewSelection");
    mainSelection->setNodeValue(metro.station["E"], true);
    Details details;
    metro.open(details);
    QVERIFY(details.indexSubGraph->numberOfNodes() == 4 &&
            details.indexSubGraph->numberOfEdges() == 3);
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
    press(details, "D");
    QCOMPARE(selected(), (std::set<std::string>{"R", "B", "E", "R>B", "B>E"}));
    // The main window's selection is a different property and stays as it was.
    QVERIFY(mainSelection->getNodeValue(metro.station["E"]) &&
            !mainSelection->getNodeValue(metro.station["B"]));
  }

  // Cells fill two rows of three, row by row, captioned with their time steps (here
  // the position plus 3). Each case lists the first station shown after opening and
  // after each key: a path change returns to the first page, other keys change
  // nothing. The word order chosen holds on every page.
  void pagesOfSixStations() {
    QTemporaryDir dir;
    TagCache cache;
    cache.setTagDirPath(dir.path());
    const std::tuple<int, std::string, std::vector<int>> cases[] = {
        {13, "RRRLLLRDEP", {0, 6, 12, 12, 6, 0, 0, 6, 0, 0, 0}}, {6, "RL", {0, 0, 0}}};
    for (const auto& [length, keys, pages] : cases) {
      std::string names = "s0", edges;
      for (int i = 1; i < length; ++i)
        names += " s" + std::to_string(i),
            edges += " s" + std::to_string(i - 1) + ">s" + std::to_string(i);
      MetroGraph metro(names, edges);
      for (const auto& [name, n] : metro.station) {
        metro.clusterTimes[n] = {1, std::stoi(name.substr(1)) + 3};
        metro.fileIds[n] = QString::fromStdString(".t" + name);
        QFile file(dir.filePath(QString::fromStdString("news.t" + name + ".tags")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("grid\t0.7\nwind\t0.9\n");
      }
      Details details;
      metro.open(details, 2, &cache);
      details.setSortAlphabetic(false);
      for (std::size_t step = 0; step < pages.size(); ++step) {
        if (step > 0)
          press(details, {keys[step - 1]});
        QStringList expected;
        const int last = std::min(pages[step] + 6, length);
        for (int p = pages[step]; p < last; ++p)
          expected << QString::fromStdString(createLabel(p + 3, 0, 0));
        QCOMPARE(captions(details), expected);
        QCOMPARE(details.statusBar->currentMessage(),
                 QString("Path 1 of 1 - stations %1 to %2 of %3")
                     .arg(pages[step] + 1)
                     .arg(last)
                     .arg(length));
        for (QTagCloud* cell : details.widgetSeries)
          QCOMPARE(cell->pairs().value(0).first, QString("wind"));
      }
    }
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
        Details details;
        metro.open(details, colour);
        std::cerr.rdbuf(previous);
        QCOMPARE(captured.str(), error);
        QCOMPARE(details.statusBar->currentMessage() + '\n', QString::fromStdString(error));
        press(details, "DURL");
        details.setSortAlphabetic(false);
        QCOMPARE(details.smallMultiplesMatrix->count(), 0);
        QVERIFY(details.curPath.empty());
      }
      QCOMPARE(metro.graph->numberOfSubGraphs(), 0u);
    }
  }

  void theViewShowsTheLineAndPassesKeysOn() {
    MetroGraph metro("R A B C D", "R>A R>B A>C B>D");
    QWidget owner;
    Details details(&owner);
    metro.open(details);
    details.show();
    QVERIFY(QTest::qWaitForWindowExposed(&details));
    // The view shows the colour's subgraph with its own selection.
    tlp::GlGraphComposite* composite = details.localPathView->getScene()->getGlGraphComposite();
    QVERIFY(composite != nullptr && composite->getGraph() == details.indexSubGraph);
    QCOMPARE(composite->getInputData()->getElementSelected(),
             details.indexSubGraph->getLocalProperty<tlp::BooleanProperty>("viewSelection"));
    // Keys typed into the view reach the window; the redrawn view shows more than
    // its background.
    QTest::keyClick(details.localPathView, Qt::Key_Down);
    QCOMPARE(metro.pathOf(details), QString("R-B-D"));
    auto blank = [&] {
      const QImage picture = details.localPathView->createPicture(320, 200, false);
      QImage background(picture.size(), picture.format());
      background.fill(picture.pixel(0, 0));
      return picture == background;
    };
    QVERIFY(!blank());
    // The same window and view serve the next colour, also one without stations,
    // which is shown as an empty view.
    std::ostringstream ignored;
    std::streambuf* previous = std::cerr.rdbuf(ignored.rdbuf());
    metro.open(details, 7);
    std::cerr.rdbuf(previous);
    QTest::qWait(50);
    QVERIFY(details.localPathView->getScene()->getGlGraphComposite() == composite && blank());
    metro.open(details);
    QVERIFY(metro.pathOf(details) == "R-A-C" && details.indexSubGraph->numberOfNodes() == 5);
  }
};

QTEST_MAIN(TestDetailWindow)
#include "test_detail_window.moc"
