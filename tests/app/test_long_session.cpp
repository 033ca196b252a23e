// A long session on the bundled example: a thousand flow toggles and colourings
// and a hundred detail windows in one process must leave the program's objects
// and its memory where they were after the first rounds.

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

    // One round: toggle two flows on and off, colour one, open its details.
    int round = 0;
    const int rounds = qEnvironmentVariableIntValue("TEXTFERRO_ROUNDS") > 0
                           ? qEnvironmentVariableIntValue("TEXTFERRO_ROUNDS")
                           : 1000;
    auto play = [&](int rounds, bool details) {
      for (int i = 0; i < rounds; ++i, ++round) {
        QTest::mouseClick(view, Qt::MiddleButton, Qt::NoModifier, first);
        QTest::mouseClick(view, Qt::MiddleButton, Qt::NoModifier, second);
        QTest::keyClick(view, static_cast<Qt::Key>(Qt::Key_0 + round % 10));
        QTest::mouseClick(view, Qt::MiddleButton, Qt::NoModifier, second);
        if (details)
          QTest::mouseClick(controller.tagCloudHash.value(round % 10)->viewport(), Qt::LeftButton);
        if (round % 100 == 0)
          qInfo("round %d: %ld KiB", round, residentKiB());
      }
      QCoreApplication::processEvents();
    };

    QElapsedTimer timer;
    timer.start();
    play(20, true); // every colour has its cloud; caches and glyph tables are warm
    const Census before = census(graph);
    const long memoryBefore = residentKiB();
    play(rounds / 10, qEnvironmentVariableIsEmpty("TEXTFERRO_NO_DETAILS"));
    play(rounds - rounds / 10, false);
    const Census after = census(graph);
    const long memoryAfter = residentKiB();

    qInfo("%d rounds in %lld ms", round, static_cast<long long>(timer.elapsed()));
    qInfo("resident memory after 20 rounds %ld KiB, after 1,020 rounds %ld KiB", memoryBefore,
          memoryAfter);
    QVERIFY(before == after);
    QCOMPARE(controller.tagCloudHash.size(), 10);
    // A flat session may still move by allocator noise; a leak of even a few
    // kilobytes per round would exceed this bound.
    QVERIFY2(memoryAfter - memoryBefore < 8 * 1024,
             qPrintable(QString("grew by %1 KiB").arg(memoryAfter - memoryBefore)));
  }

private:
  tlp::Graph* graph = nullptr;
};

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  TestLongSession test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_long_session.moc"
