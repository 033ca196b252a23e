// Times "Hierarchical Tree (R-T Extended)" on random trees of growing size, wide and
// deep, and prints time and peak memory per size with the growth exponent.
// Usage: bench_tree_layout [largest size, default 1000000] [wide|deep, default both]
// Each case runs in a child process so that its peak memory is its own. The growth
// exponents use CPU time, which other work on a shared machine disturbs less.

#include "clusterflow/TulipSetup.h"

#include <tulip/DataSet.h>
#include <tulip/Graph.h>
#include <tulip/LayoutProperty.h>
#include <tulip/SizeProperty.h>
#include <tulip/StringCollection.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Figures {
  double seconds = 0;
  double cpuSeconds = 0;
  long peakKiB = 0;
  long graphKiB = 0;
  unsigned int depth = 0;
};

long peakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Wide trees pick each parent among all earlier nodes (depth about ln n); deep trees
// among the last three (depth about n / 2, with short side branches).
Figures layOutRandomTree(unsigned int count, bool deep) {
  std::mt19937 random(count + (deep ? 1 : 0));
  tlp::Graph* graph = tlp::newGraph();
  std::vector<tlp::node> nodes;
  graph->addNodes(count, nodes);
  std::vector<std::pair<tlp::node, tlp::node>> edges;
  std::vector<unsigned int> depth(count, 0);
  Figures figures;
  for (unsigned int i = 1; i < count; ++i) {
    const unsigned int window = deep ? std::min(3u, i) : i;
    const unsigned int parent = i - 1 - random() % window;
    edges.emplace_back(nodes[parent], nodes[i]);
    depth[i] = depth[parent] + 1;
    figures.depth = std::max(figures.depth, depth[i]);
  }
  graph->addEdges(edges);
  auto* sizes = graph->getProperty<tlp::SizeProperty>("viewSize");
  for (tlp::node n : nodes)
    sizes->setNodeValue(n, tlp::Size(1 + random() % 40, 1 + random() % 20, 1));

  tlp::LayoutProperty layout(graph);
  tlp::DataSet dataSet;
  dataSet.set("orientation", tlp::StringCollection(std::string("vertical;horizontal;")));
  dataSet.set("orthogonal", false);
  dataSet.set("node size", sizes);
  figures.graphKiB = peakRssKiB();
  std::string error;
  const std::clock_t cpuStart = std::clock();
  const auto start = std::chrono::steady_clock::now();
  const bool ok = graph->applyPropertyAlgorithm("Hierarchical Tree (R-T Extended)", &layout, error,
                                                &dataSet);
  figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  figures.cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  figures.peakKiB = peakRssKiB();
  if (!ok) {
    std::fprintf(stderr, "layout failed: %s\n", error.c_str());
    std::exit(1);
  }
  return figures;
}

bool runInChild(unsigned int count, bool deep, Figures& figures) {
  int channel[2];
  if (pipe(channel) != 0)
    return false;
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const Figures measured = layOutRandomTree(count, deep);
    const bool written = write(channel[1], &measured, sizeof measured) == sizeof measured;
    _exit(written ? 0 : 1);
  }
  close(channel[1]);
  const bool read = ::read(channel[0], &figures, sizeof figures) == sizeof figures;
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return read && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char** argv) {
  initTulip();
  const unsigned int largest = argc > 1 ? static_cast<unsigned int>(std::atol(argv[1])) : 1000000u;
  std::printf("%-5s %9s %8s %9s %9s %14s %14s %9s\n", "shape", "nodes", "depth", "wall (s)",
              "CPU (s)", "peak RSS (MiB)", "layout (MiB)", "exponent");
  const std::string only = argc > 2 ? argv[2] : "";
  for (bool deep : {false, true}) {
    if (!only.empty() && only != (deep ? "deep" : "wide"))
      continue;
    double firstSeconds = 0;
    unsigned int firstCount = 0;
    double previousSeconds = 0;
    unsigned int previousCount = 0;
    for (unsigned int count = 10000; count <= largest; count *= 10) {
      Figures figures;
      if (!runInChild(count, deep, figures)) {
        std::fprintf(stderr, "case %s %u failed\n", deep ? "deep" : "wide", count);
        return 1;
      }
      char exponent[32] = "-";
      if (previousCount != 0)
        std::snprintf(exponent, sizeof exponent, "%.2f",
                      std::log(figures.cpuSeconds / previousSeconds) /
                          std::log(double(count) / previousCount));
      std::printf("%-5s %9u %8u %9.3f %9.3f %14.1f %14.1f %9s\n", deep ? "deep" : "wide", count,
                  figures.depth, figures.seconds, figures.cpuSeconds, figures.peakKiB / 1024.,
                  (figures.peakKiB - figures.graphKiB) / 1024., exponent);
      std::fflush(stdout);
      if (firstCount == 0) {
        firstCount = count;
        firstSeconds = figures.cpuSeconds;
      }
      previousCount = count;
      previousSeconds = figures.cpuSeconds;
    }
    if (previousCount > firstCount)
      std::printf("%-5s growth exponent %u..%u: %.2f\n", deep ? "deep" : "wide", firstCount,
                  previousCount,
                  std::log(previousSeconds / firstSeconds) /
                      std::log(double(previousCount) / firstCount));
  }
  return 0;
}
