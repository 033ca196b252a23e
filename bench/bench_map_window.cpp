// The main window on a large map, as a user meets it: loads a data set as the
// program does, then times the first picture of the map after the load, the
// longest time the window does not answer meanwhile, a pan frame, a zoom frame and
// a middle click until its selection is drawn, the detail window of a colour of
// thousands of stations from the click on its cloud, and reports the peak resident
// memory of the whole process. Needs a display:
//   xvfb-run -a -s "-screen 0 1600x1000x24" build/bench/bench_map_window
//     D/timeline.txt D/clusters/step obj feat D/tags gen tags [curves] [FILE.png] 2>/dev/null
// FILE.png receives the first picture and FILE-zoomed.png a view 8 times nearer
// after the click, to compare by eye. With "curves" the
// library draws the graph's own curved lines at every size, with "library" it
// draws them straight: the drawings of large maps before the view drew them itself.
// Data sets of any size come from textferro-gendata (see README, "Benchmarks").
// Times are wall-clock times of the GUI thread: on a busy machine they grow.

#include "app/FerroInterface.h"
#include "clusterflow/GenClusterMap.h"
#include "clusterflow/TulipSetup.h"
#include "interaction/GlyphSetup.h"
#include "interaction/GraphViewTools.h"
#include "interaction/MapGlWidget.h"
#include "interaction/MapNavigator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include <tulip/BooleanProperty.h>
#include <tulip/Camera.h>
#include <tulip/GlScene.h>
#include <tulip/IntegerProperty.h>
#include <tulip/LayoutProperty.h>
#include <tulip/TulipViewSettings.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

// The process's peak resident memory so far, in MB.
double peakResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0)
      return std::stod(line.substr(6)) / 1024;
  return 0;
}

// Seconds until the view has drawn its scene, at most `limit`; -1 if it did not.
double secondsToDrawing(MapGlWidget* view, double limit) {
  QElapsedTimer clock;
  clock.start();
  QSignalSpy drawn(view, &MapGlWidget::sceneDrawn);
  while (drawn.isEmpty() && clock.elapsed() < limit * 1000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  return drawn.isEmpty() ? -1 : clock.elapsed() / 1000.0;
}

// The longest gap between two turns of the event loop while it runs.
struct FreezeWatch : QObject {
  FreezeWatch() {
    clock.start();
    timer.setInterval(20);
    connect(&timer, &QTimer::timeout, this, [this] {
      longest = std::max(longest, clock.restart());
    });
    timer.start();
  }
  QElapsedTimer clock;
  QTimer timer;
  // Counts the turn that is late now, when the watch is read right after a long paint.
  double longestSeconds() const { return std::max(longest, clock.elapsed()) / 1000.0; }
  qint64 longest = 0;
};

// Stations in the colour whose detail window is timed: "thousands".
constexpr unsigned kBigColour = 2000;

// Where a station lands in the view, in widget coordinates.
QPoint onScreen(tlp::GlMainWidget* view, tlp::Graph* graph, tlp::node n) {
  const tlp::Coord place = graph->getProperty<tlp::LayoutProperty>("viewLayout")->getNodeValue(n);
  const tlp::Coord p = view->getScene()->getGraphCamera().worldTo2DViewport(place);
  return QPoint(int(p[0]), view->height() - int(p[1]));
}

// Selects the flows of more and more stations until thousands are selected,
// colours them with colour 1 and clicks its cloud: seconds until the detail
// window has drawn its map (-1 if it did not within a minute).
double timeBigColourDetails(FerroInterface& controller, tlp::Graph* graph, unsigned& selected) {
  auto* view = static_cast<MapGlWidget*>(controller.ferroMapView);
  MapNavigator::fit(view);
  secondsToDrawing(view, 60);
  auto* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");
  const std::vector<tlp::node>& nodes = graph->nodes();
  selected = 0;
  for (std::size_t i = 0; i < nodes.size() && selected < kBigColour; i += nodes.size() / 50 + 1) {
    if (selection->getNodeValue(nodes[i]))
      continue;
    QTest::mouseClick(view, Qt::MiddleButton, Qt::NoModifier, onScreen(view, graph, nodes[i]));
    selected = selection->numberOfNonDefaultValuatedNodes();
  }
  QTest::keyClick(view, Qt::Key_1);
  secondsToDrawing(view, 60);
  // The detail window's upper view: the other map view of the program.
  MapGlWidget* upper = nullptr;
  for (QWidget* widget : QApplication::allWidgets())
    if (qobject_cast<MapGlWidget*>(widget) != nullptr && widget != view)
      upper = static_cast<MapGlWidget*>(widget);
  QSignalSpy drawn(upper, &MapGlWidget::sceneDrawn);
  QElapsedTimer clock;
  clock.start();
  controller.handleTagCloudClicked(1);
  while (drawn.isEmpty() && clock.elapsed() < 60000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  const double seconds = drawn.isEmpty() ? -1 : clock.elapsed() / 1000.0;
  if (auto* status = upper->window()->findChild<QStatusBar*>())
    std::printf("detail window: \"%s\"\n", qPrintable(status->currentMessage()));
  return seconds;
}

} // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 8 ? argv[8] : "";
  const bool curves = mode == "curves", library = mode == "library";
  const int modes = curves || library ? 1 : 0;
  const char* picturePath = argc > 8 + modes ? argv[8 + modes] : nullptr;
  if (argc < 8 || argc > 9 + modes) {
    std::fprintf(stderr, "usage: bench_map_window <the seven arguments of textferro> "
                         "[curves|library] [FILE.png]\n");
    return 2;
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  QMainWindow main(nullptr, Qt::WindowFlags());
  FerroInterface controller(&main);
  initTulip();
  initGlyphs();
  QElapsedTimer clock;
  clock.start();
  if (loadFiles(8, argv, false) != 0)
    return 1;
  tlp::Graph* graph = getClusterFlowGraph();
  std::printf("stations %u, lines %u, typical line at Fit Map %.1f px; load %.1f s, "
              "peak resident %.0f MB\n",
              graph->numberOfNodes(), graph->numberOfEdges(), typicalLinePixelsWhenFitted(graph),
              clock.elapsed() / 1000.0, peakResidentMegabytes());

  clock.restart();
  auto* view = static_cast<MapGlWidget*>(controller.ferroMapView);
  controller.initInterface();
  if (library)
    graph->getProperty<tlp::IntegerProperty>("viewShape")->setAllEdgeValue(tlp::EdgeShape::Polyline);
  if (curves || library)
    view->setPlainLines(false);
  const double setUp = clock.elapsed() / 1000.0;
  main.show();
  const double shown = clock.elapsed() / 1000.0;
  FreezeWatch freezes;
  const double first = secondsToDrawing(view, 600);
  std::printf("window set up %.2f s and shown %.2f s after the load; first picture %.2f s after "
              "the load (plain lines: %s); longest freeze after that %.2f s; peak resident %.0f MB\n",
              setUp, shown, first < 0 ? -1 : clock.elapsed() / 1000.0, view->hasPlainLines() ? "yes" : "no",
              freezes.longestSeconds(), peakResidentMegabytes());
  if (picturePath != nullptr)
    view->createPicture(view->width(), view->height(), false).save(picturePath);

  MapNavigator::pan(view, 0.1f, 0);
  const double pan = secondsToDrawing(view, 60);
  MapNavigator::zoomAt(view, QPoint(view->width() / 2, view->height() / 2), 1.25);
  const double zoom = secondsToDrawing(view, 60);
  MapNavigator::fit(view);
  secondsToDrawing(view, 60);
  const tlp::node station = graph->getOneNode();
  QTest::mouseClick(view, Qt::MiddleButton, Qt::NoModifier, onScreen(view, graph, station));
  const double click = secondsToDrawing(view, 60);
  // Stations less than a pixel apart: the click may hit a neighbour or a line.
  auto* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");
  const bool selected = !tlp::iteratorEmpty(selection->getNonDefaultValuatedNodes()) ||
                        !tlp::iteratorEmpty(selection->getNonDefaultValuatedEdges());
  if (picturePath != nullptr) {
    // A closer look, to compare by eye: 8 times nearer about the view's centre.
    MapNavigator::zoomAt(view, QPoint(view->width() / 2, view->height() / 2), 8);
    secondsToDrawing(view, 60);
    view->createPicture(view->width(), view->height(), false)
        .save(QString(picturePath).replace(".png", "-zoomed.png"));
  }
  std::printf("pan frame %.2f s, zoom frame %.2f s, middle click to drawn selection %.2f s "
              "(selection made: %s); peak resident %.0f MB\n",
              pan, zoom, click, selected ? "yes" : "no", peakResidentMegabytes());
  unsigned coloured = 0;
  const double details = timeBigColourDetails(controller, graph, coloured);
  std::printf("detail window of a colour with %u stations drawn %.2f s after its cloud's click; "
              "peak resident %.0f MB\n",
              coloured, details, peakResidentMegabytes());
  return first < 0 || !selected || details < 0 ? 1 : 0;
}
