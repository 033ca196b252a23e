// A long session in the main window on the bundled example, by real events: after
// ten warm-up rounds, `rounds` middle-click flow toggles each followed by a
// colouring (keys 0 to 9 in turn), then twice `details` detail windows opened by
// clicks on the tag clouds. Needs a display:
//   xvfb-run -a -s "-screen 0 1600x1000x24" build/bench/soak_main_window [rounds] [details]
// It prints the object census before and after (widgets, map subgraphs, map
// properties; it must not change), resident memory, and the heap each batch of
// detail windows leaves behind (in use after minus before, from the allocator's
// statistics); the second batch shows what stays once the caches are full.
// Exits with 1 when the census changed.

#include "app/FerroInterface.h"
#include "clusterflow/TulipSetup.h"
#include "interaction/GlyphSetup.h"
#include "support/ExampleMap.h"
#include "support/MapSession.h"

#include <QMainWindow>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <unistd.h>

namespace {

double residentMegabytes() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * double(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

QPoint stationOnScreen(tlp::GlMainWidget* view, tlp::Graph* graph, int cluster, int time) {
  return projectedCentre(view, graph, clusterTimeToNode.at(cluster).at(time));
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int details = argc > 2 ? std::atoi(argv[2]) : 100;
  initTulip();
  initGlyphs();
  tlp::Graph* graph = loadExample();
  if (graph == nullptr)
    return 1;

  QMainWindow main(nullptr, Qt::WindowFlags());
  FerroInterface controller(&main);
  controller.initInterface();
  // Every event redraws the map in software; a small window keeps that quick.
  main.resize(480, 360);
  main.show();
  if (!QTest::qWaitForWindowExposed(&main))
    return 1;
  tlp::GlMainWidget* view = controller.ferroMapView;
  const QPoint first = stationOnScreen(view, graph, 1, 1);
  const QPoint second = stationOnScreen(view, graph, 3, 1);

  playColourings(view, first, second, 10);
  openDetailWindows(&main, 10);
  const auto before = sessionCensus(graph);
  const double residentBefore = residentMegabytes();
  playColourings(view, first, second, rounds);
  // The same colours as after the warm-up, so that the same clouds exist.
  playColourings(view, first, second, 10);
  const double residentColoured = residentMegabytes();
  // Two batches of detail windows: the first also fills caches (tag files, fonts).
  long long heapGrowth[2];
  for (long long& growth : heapGrowth) {
    const std::size_t heapBefore = mallinfo2().uordblks;
    openDetailWindows(&main, details);
    growth = static_cast<long long>(mallinfo2().uordblks) - static_cast<long long>(heapBefore);
  }
  const auto after = sessionCensus(graph);

  std::printf(
      "census (widgets, map subgraphs, map properties): before %d %u %zu, after %d %u %zu\n",
      std::get<0>(before), std::get<1>(before), std::get<2>(before), std::get<0>(after),
      std::get<1>(after), std::get<2>(after));
  std::printf("resident: %.0f MB after the warm-up, %.0f MB after %d toggles and colourings, "
              "%.0f MB after %d detail windows\n",
              residentBefore, residentColoured, rounds + 10, residentMegabytes(), 2 * details);
  std::printf("heap in use: %+lld bytes over the first %d detail windows, %+lld bytes over the "
              "next %d (%.0f bytes each)\n",
              heapGrowth[0], details, heapGrowth[1], details,
              double(heapGrowth[1]) / std::max(details, 1));
  return before == after ? 0 : 1;
}
