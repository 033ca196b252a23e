// A long session on the bundled example: a thousand flow toggles and colourings
// and a hundred detail windows in one process must leave the program's objects
// where they were after the first rounds. Memory is not asserted: under Xvfb the
// software renderer grows for the first few hundred rounds, and every OpenGL view
// the graph library makes leaves about 190 KiB behind inside the library.

#include "app/FerroInterface.h"
#include "clusterflow/TulipSetup.h"
#include "interaction/GlyphSetup.h"
#include "support/ExampleMap.h"
#include "tagcloud/tagcloud.h"

#include <QMainWindow>
#include <QtTest>

#include <tulip/Graph.h>

#include <tuple>

namespace {

// Widgets of the process, subgraphs and properties of the map.
std::tuple<int, unsigned, unsigned> census(tlp::Graph* graph) {
  unsigned properties = 0;
  for (const std::string& name : graph->getLocalProperties())
    properties += !name.empty();
  return {QApplication::allWidgets().size(), graph->numberOfSubGraphs(), properties};
}

} // namespace

class TestLongSession : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() {
    initTulip();
    initGlyphs();
  }

  void sessionLeavesNothingBehind() {
    tlp::Graph* graph = loadExample();
    QVERIFY(graph != nullptr);
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

    // A round toggles a flow on and colours it (the colouring clears the
    // selection); then detail windows are opened from the clouds in turn.
    auto play = [&](int rounds, int details) {
      for (int round = 0; round < rounds; ++round) {
        QTest::mouseClick(view, Qt::MiddleButton, Qt::NoModifier, round % 2 ? first : second);
        QTest::keyClick(view, static_cast<Qt::Key>(Qt::Key_0 + round % 10));
      }
      QCoreApplication::processEvents();
      for (int i = 0; i < details; ++i)
        QTest::mouseClick(controller.tagCloudHash.value(i % 10)->viewport(), Qt::LeftButton);
      QCoreApplication::processEvents();
    };
    // Warm-up: every colour gets its cloud, and the allocator, the glyph tables,
    // the tag cache and the software renderer reach their working size.
    play(100, 10);
    const auto before = census(graph);
    play(1000, 100);
    // Nothing is left behind: one detail window, its one subgraph, the same widgets.
    QVERIFY(census(graph) == before);
    QCOMPARE(controller.tagCloudHash.size(), 10);
  }
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
