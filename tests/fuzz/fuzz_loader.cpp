// The whole loader on a small fuzzed data set. The input is cut at lines
// "====" into a timeline, an object file, a feature file and a tag file; every
// time step gets the same object and feature file and every cluster the same
// tag file. Timelines beyond 6 time steps, 40 series or cluster 60 are skipped
// so that each run stays small.

#include "FuzzSupport.h"

#include "clusterflow/GenClusterMap.h"
#include "clusterflow/TimelineReader.h"
#include "clusterflow/TulipSetup.h"

#include <tulip/Graph.h>

#include <QCoreApplication>
#include <QtGlobal>

#include <set>
#include <sstream>

namespace {

constexpr int kMaxSteps = 6;
constexpr int kMaxSeries = 40;
constexpr int kMaxCluster = 60;

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

std::vector<std::string> parts(const std::string& input) {
  std::vector<std::string> result(1);
  std::istringstream lines(input);
  std::string line;
  while (std::getline(lines, line)) {
    if (line == "====" && result.size() < 4)
      result.emplace_back();
    else
      result.back() += line + "\n";
  }
  result.resize(4);
  return result;
}

void write(const std::string& path, const std::string& content) {
  fuzz::writeScratch(path, reinterpret_cast<const uint8_t*>(content.data()), content.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int argc = 1;
  static char name[] = "fuzz_loader";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* application = [] {
    qInstallMessageHandler(quiet);
    auto* app = new QCoreApplication(argc, argv);
    initTulip();
    return app;
  }();
  (void)application;

  const std::vector<std::string> input =
      parts(std::string(reinterpret_cast<const char*>(data), size));
  std::set<std::pair<int, int>> clusters;
  std::istringstream lines(input[0]);
  std::string line;
  int series = 0;
  while (std::getline(lines, line)) {
    timeline::Series items;
    std::string error;
    if (!timeline::parseTimelineLine(line, items, error))
      continue; // the loader rejects it by itself
    series += !items.empty();
    for (const auto& [time, cluster] : items) {
      if (time > kMaxSteps || cluster > kMaxCluster)
        return 0;
      clusters.insert({time, cluster});
    }
  }
  if (series > kMaxSeries)
    return 0;

  const std::string dir = fuzz::scratchDir();
  write("timeline.txt", input[0]);
  for (int time = 1; time <= kMaxSteps; ++time) {
    write("step" + std::to_string(time) + ".obj", input[1]);
    write("step" + std::to_string(time) + ".feat", input[2]);
  }
  for (const auto& [time, cluster] : clusters)
    write("f.t" + std::to_string(time) + ".c" + std::to_string(cluster) + ".tags", input[3]);

  std::vector<std::string> arguments{"textferro", dir + "/timeline.txt", dir + "/step", "obj",
                                     "feat", dir, "f", "tags"};
  std::vector<char*> pointers;
  for (std::string& argument : arguments)
    pointers.push_back(&argument[0]);
  const int result = loadFiles(static_cast<int>(pointers.size()), pointers.data(), false);
  fuzz::check(result == 0 || result == 1, "the loader returns 0 or 1");
  if (result == 0) {
    tlp::Graph* graph = getClusterFlowGraph();
    fuzz::check(graph != nullptr, "a published graph on success");
    // The graph is the process's for good in the program; here it must go, or
    // every run would look like a leak.
    delete graph;
    clusterFlowDiagram = nullptr;
  }
  return 0;
}
