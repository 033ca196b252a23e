// A long session on the bundled example: a thousand flow toggles and colourings
// and a hundred detail windows in one process must leave the program's objects
// where they were after the first rounds. Resident memory is reported, not
// asserted: under Xvfb the software renderer keeps growing for the first few
// hundred rounds, and every OpenGL view the graph library creates and destroys
// leaves about 190 KiB behind inside the library.

#include "app/FerroInterface.h"
#include "clusterflow/TulipSetup.h"
#include "detail/DynamicGraphSmallMultiples.h"
#include "interaction/GlyphSetup.h"
#include "support/ExampleMap.h"
#include "tagcloud/tagcache.h"
#include "tagcloud/tagcloud.h"

#include <QMainWindow>
#include <QtTest>

#include <tulip/Graph.h>

#include <fstream>
#include <unistd.h>

namespace {

// Resident memory of this process in KiB.
long residentKiB() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

struct Census {
  int widgets = 0;
  unsigned subgraphs = 0;
  unsigned properties = 0;
  bool operator==(const Census& other) const {
    return widgets == other.widgets && subgraphs == other.subgraphs &&
           properties == other.properties;
  }
};

Census census(tlp::Graph* graph) {
  Census result;
  result.widgets = QApplication::allWidgets().size();
  result.subgraphs = graph->numberOfSubGraphs();
  for (const std::string& name : graph->getLocalProperties()) {
    (void)name;
    ++result.properties;
  }
  return result;
}

} // namespace

class TestLongSession : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() {
    initTulip();
    initGlyphs();
    graph = loadExample();
    QVERIFY(graph != nullptr);
  }

  void memoryStaysFlat() {
    QMainWindow main(nullptr, Qt::WindowFlags());
    FerroInterface controller(&main);
    controller.initInterface();
    // Every event redraws the map in software; a small window keeps that quick.
    main.resize(480, 360);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    tlp::GlMainWidget* view = controller.ferroMapView;
    const QPoint first = projectedCentre(view, graph, clusterTimeToNode.at(1).at(1));
    const QPoint second = projectedCentre(view, graph, clusterTimeToNode.at(3).at(1));

    // One round: toggle a flow on and colour it (the colouring clears the selection).
    int round = 0;
    auto play = [&](int rounds) {
      for (int i = 0; i < rounds; ++i, ++round) {
        QTest::mouseClick(view, Qt::MiddleButton, Qt::NoModifier, round % 2 ? first : second);
        QTest::keyClick(view, static_cast<Qt::Key>(Qt::Key_0 + round % 10));
      }
      QCoreApplication::processEvents();
    };
    auto openDetails = [&](int times) {
      for (int i = 0; i < times; ++i)
        QTest::mouseClick(controller.tagCloudHash.value(i % 10)->viewport(), Qt::LeftButton);
      QCoreApplication::processEvents();
    };

    // Warm-up: every colour gets its cloud, and the allocator, the glyph tables,
    // the tag cache and the software renderer reach their working size.
    play(100);
    openDetails(10);
    const Census before = census(graph);
    const long memoryBefore = residentKiB();
    play(1000);
    const long memoryAfterRounds = residentKiB();
    openDetails(100);
    const Census after = census(graph);
    const long memoryAfterDetails = residentKiB();
    qInfo("resident memory: %ld KiB after warming up, %ld KiB after 1,000 toggles and "
          "colourings, %ld KiB after 100 detail windows",
          memoryBefore, memoryAfterRounds, memoryAfterDetails);

    // Nothing is left behind: one detail window, its one subgraph, the same widgets.
    QVERIFY(before == after);
    QCOMPARE(controller.tagCloudHash.size(), 10);
  }

private:
  tlp::Graph* graph = nullptr;
};

int main(int argc, char** argv) {
  // A thousand software-rendered redraws take longer than Qt Test's default five
  // minutes on a slow machine under the sanitizers.
  qputenv("QTEST_FUNCTION_TIMEOUT", "1500000");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  TestLongSession test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_long_session.moc"
