// Times the middle click that toggles the downstream flow of the first station of a
// 100,000-station map and the digit key that colours that flow, on a real map view,
// with every step recorded for undo. Needs a display:
//   xvfb-run -a -s "-screen 0 1600x1000x24" build/bench/bench_flow_selection [rounds]
// Each event is timed as a whole and split into the library's share (picking the
// station, redrawing the map) and ours (the toggle, the colouring with its redraw
// request); ours must stay under 100 ms. CPU times are those of the GUI thread, so
// they hold when the machine is busy; the redraw's CPU time leaves out the
// renderer's own threads. Then a long session of `rounds` (default 1,000) toggles and
// colourings, recorded as the window records them, must grow resident memory by
// under 300 MB: the history keeps the last 50 steps only.

#include "clusterflow/TulipSetup.h"
#include "interaction/ClusterFlowInteractor.h"
#include "interaction/EditHistory.h"
#include "interaction/MapGlWidget.h"

#include <tulip/BooleanProperty.h>
#include <tulip/Camera.h>
#include <tulip/ColorProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlLayer.h>
#include <tulip/GlMainWidget.h>
#include <tulip/LayoutProperty.h>
#include <tulip/Observable.h>
#include <tulip/SizeProperty.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <random>
#include <unistd.h>

namespace {

const int TimeSteps = 50;
const int ClustersPerStep = 2000;
const int Repetitions = 5;

// A metro map as the loader leaves it, of the largest generated size: stations in
// time-step columns; every line goes on to the same cluster at the next time step,
// and one station in two splits to one or two clusters anywhere in that step.
// So the flow of the first station soon spreads over most of the map.
tlp::Graph* layeredMap() {
  std::mt19937 random(7);
  tlp::Graph* graph = tlp::newGraph();
  std::vector<tlp::node> stations;
  graph->addNodes(TimeSteps * ClustersPerStep, stations);
  graph->getLocalProperty<tlp::BooleanProperty>("Is Dummy")->setAllNodeValue(false);
  auto* major = graph->getLocalProperty<tlp::BooleanProperty>("Is Major Station");
  auto* layout = graph->getProperty<tlp::LayoutProperty>("viewLayout");
  graph->getProperty<tlp::SizeProperty>("viewSize")->setAllNodeValue(tlp::Size(0.5, 0.5, 0.5));
  for (const char* name : {"viewColor", "viewBorderColor"}) {
    graph->getProperty<tlp::ColorProperty>(name)->setAllNodeValue(tlp::Color(180, 180, 180, 255));
    graph->getProperty<tlp::ColorProperty>(name)->setAllEdgeValue(tlp::Color(180, 180, 180, 255));
  }
  for (int step = 0; step < TimeSteps; ++step) {
    for (int cluster = 0; cluster < ClustersPerStep; ++cluster) {
      tlp::node station = stations[step * ClustersPerStep + cluster];
      layout->setNodeValue(station, tlp::Coord(2.5f * step, -1.5f * cluster, 0));
      if (step + 1 == TimeSteps)
        continue;
      const tlp::node* nextStep = &stations[(step + 1) * ClustersPerStep];
      graph->addEdge(station, nextStep[cluster]);
      const int splits = random() % 2 == 0 ? 0 : 1 + random() % 2;
      for (int split = 0; split < splits; ++split)
        graph->addEdge(station, nextStep[random() % ClustersPerStep]);
      const int lines = 1 + splits;
      major->setNodeValue(station, lines > 1);
    }
  }
  return graph;
}

double threadCpuMilliseconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Wall-clock and CPU times of one kind of work over the repetitions.
struct Timings {
  const char* what;
  std::vector<double> wall, cpu;

  void time(const std::function<void()>& work) {
    QElapsedTimer timer;
    const double cpuBefore = threadCpuMilliseconds();
    timer.start();
    work();
    wall.push_back(timer.nsecsElapsed() / 1e6);
    cpu.push_back(threadCpuMilliseconds() - cpuBefore);
  }

  void print() {
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("%-52s wall median %7.1f ms (max %7.1f)   cpu median %7.1f ms (max %7.1f)\n", what,
                wall[wall.size() / 2], wall.back(), cpu[cpu.size() / 2], cpu.back());
  }
};

size_t selectedStations(tlp::Graph* graph) {
  auto* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");
  size_t count = 0;
  for (tlp::node n : graph->nodes())
    count += selection->getNodeValue(n) ? 1 : 0;
  return count;
}

double residentMegabytes() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * double(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// One middle click's work without the picking and the redraw: the toggle of the
// flow of `station`, recorded as one step of history.
void recordedToggle(tlp::Graph* graph, tlp::node station, EditHistory& history) {
  MapEdit edit(graph);
  tlp::Observable::holdObservers();
  selectNodeFlow(graph, station,
                 graph->getProperty<tlp::BooleanProperty>("viewSelection")->getNodeValue(station));
  tlp::Observable::unholdObservers();
  if (edit.finish())
    history.add(std::move(edit));
}

void showGraph(tlp::GlMainWidget& view, tlp::Graph* graph) {
  auto* layer = new tlp::GlLayer("Main");
  view.getScene()->addExistingLayer(layer);
  layer->addGlEntity(new tlp::GlGraphComposite(graph), "graph");
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  initTulip();

  tlp::Graph* graph = layeredMap();
  auto* layout = graph->getProperty<tlp::LayoutProperty>("viewLayout");
  const tlp::node first(0);

  const int sessionRounds = argc > 1 ? std::atoi(argv[1]) : 1000;
  MapGlWidget view;
  view.resize(1200, 800);
  showGraph(view, graph);
  EditHistory history;
  ClusterFlowInteractor interactor;
  interactor.setEditHistory(&history);
  view.installEventFilter(&interactor);
  view.show();
  while (!view.isVisible())
    QCoreApplication::processEvents();
  view.getScene()->centerScene();
  // Zoom onto the first station so that a click can hit it.
  tlp::Camera& camera = view.getScene()->getGraphCamera();
  const tlp::Coord shift = layout->getNodeValue(first) - camera.getCenter();
  camera.setCenter(camera.getCenter() + shift);
  camera.setEyes(camera.getEyes() + shift);
  camera.setZoomFactor(camera.getZoomFactor() * 100);
  view.draw(true);
  QCoreApplication::processEvents();
  view.makeCurrent();
  const tlp::Coord onScreen =
      view.viewportToScreen(camera.worldTo2DViewport(layout->getNodeValue(first)));
  const QPoint click(qRound(onScreen.x()), view.height() - qRound(onScreen.y()));

  size_t flow = 0, coloured = 0;
  QObject::connect(&interactor, &ClusterFlowInteractor::colourPathsChanged,
                   [&](int, tlp::Color, std::vector<tlp::node> nodes) { coloured = nodes.size(); });

  Timings clickEvent{"middle click (pick, toggle, redraw request)", {}, {}};
  Timings keyEvent{"digit key (colour, redraw request)", {}, {}};
  Timings pick{"  library: pick the station", {}, {}};
  Timings redraw{"  library: redraw the map", {}, {}};
  Timings toggle{"  ours: toggle (hold, selectNodeFlow, recorded)", {}, {}};
  Timings colouring{"  ours: colouring with its redraw request, recorded", {}, {}};
  for (int repetition = 0; repetition < Repetitions; ++repetition) {
    const int digit = Qt::Key_0 + repetition % 10;
    clickEvent.time([&] {
      QMouseEvent middle(QEvent::MouseButtonPress, click, view.mapToGlobal(click), Qt::MiddleButton,
                         Qt::MiddleButton, Qt::NoModifier);
      QApplication::sendEvent(&view, &middle);
    });
    flow = selectedStations(graph);
    keyEvent.time([&] {
      QKeyEvent key(QEvent::KeyPress, digit, Qt::NoModifier);
      QApplication::sendEvent(&view, &key);
    });
    QCoreApplication::processEvents();

    pick.time([&] {
      tlp::SelectedEntity picked;
      view.pickNodesEdges(click.x(), click.y(), picked);
    });
    redraw.time([&] { view.draw(true); });
    toggle.time([&] { recordedToggle(graph, first, history); });
    colouring.time([&] {
      QKeyEvent key(QEvent::KeyPress, digit, Qt::NoModifier);
      interactor.handleColourEvent(&view, &key);
    });
    QCoreApplication::processEvents();
  }

  // The same work unrecorded: what recording adds to the two figures above.
  Timings plainToggle{"  unrecorded: toggle", {}, {}};
  Timings plainColouring{"  unrecorded: colouring with its redraw request", {}, {}};
  interactor.setEditHistory(nullptr);
  for (int repetition = 0; repetition < Repetitions; ++repetition) {
    plainToggle.time([&] { selectNodeFlow(graph, first, false); });
    plainColouring.time([&] {
      QKeyEvent key(QEvent::KeyPress, Qt::Key_0 + repetition % 10, Qt::NoModifier);
      interactor.handleColourEvent(&view, &key);
    });
    QCoreApplication::processEvents();
  }
  interactor.setEditHistory(&history);

  // The long session: every round a recorded toggle and a colouring, with a redraw
  // now and then. The first 50 rounds fill the history; growth is counted after.
  auto session = [&](int rounds) {
    for (int round = 0; round < rounds; ++round) {
      recordedToggle(graph, first, history);
      QKeyEvent key(QEvent::KeyPress, Qt::Key_0 + round % 10, Qt::NoModifier);
      interactor.handleColourEvent(&view, &key);
      if (round % 100 == 99)
        QCoreApplication::processEvents();
    }
  };
  const double residentAtStart = residentMegabytes();
  session(50);
  const double residentFull = residentMegabytes();
  session(sessionRounds);
  const double residentAtEnd = residentMegabytes();

  std::printf("map: %u stations, %u edges; flow of the first station: %zu stations, "
              "%zu stations in its colour\n",
              graph->numberOfNodes(), graph->numberOfEdges(), flow, coloured);
  for (Timings* timings :
       {&clickEvent, &pick, &toggle, &keyEvent, &colouring, &redraw, &plainToggle, &plainColouring})
    timings->print();
  std::printf("long session: resident %.0f MB at its start, %.0f MB with a full history (50 "
              "rounds), %.0f MB after %d more toggles and colourings: %+.0f MB (limit 300)\n",
              residentAtStart, residentFull, residentAtEnd, sessionRounds,
              residentAtEnd - residentAtStart);
  const bool withinMemory = residentAtEnd - residentAtStart < 300;
  return flow > 0 && coloured == flow && withinMemory ? 0 : 1;
}
