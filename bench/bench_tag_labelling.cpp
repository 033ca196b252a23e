// Labels a generated cluster-flow graph whose every station has its own tag file,
// the way the loader does, and prints tag files read per second and peak memory.
// It also reads one tag file that is a single line of 1 GiB without a line feed
// (a sparse file, so it takes no disk space) to show that memory stays bounded.
//
// Usage: bench_tag_labelling [stations (50000)] [tags per file (20)] 2>/dev/null
// The tag classes report every file they read on standard error; send it away.

#include "clusterflow/GenClusterMap.h"
#include "clusterflow/TulipSetup.h"
#include "tagcloud/tagcache.h"

#include <tulip/Graph.h>
#include <tulip/StringProperty.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/resource.h>

namespace {

constexpr int kClustersPerStep = 500;

long peakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// User and system time of the process so far: on a shared machine the wall clock
// says little.
double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool writeFile(const QString& path, const QByteArray& content) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// One line per cluster, each station a stretch of its cluster's line.
std::vector<std::vector<std::pair<int, int>>> lines(int stations) {
  std::vector<std::vector<std::pair<int, int>>> series(kClustersPerStep);
  for (int i = 0; i < stations; ++i)
    series[i % kClustersPerStep].emplace_back(i / kClustersPerStep + 1, i % kClustersPerStep + 1);
  return series;
}

void hugeLine(const QString& dir) {
  const QString path = dir + "/huge.tags";
  QFile sparse(path);
  if (!sparse.open(QIODevice::WriteOnly) || !sparse.resize(qint64(1) << 30)) {
    std::printf("huge line: could not make a 1 GiB sparse file\n");
    return;
  }
  sparse.close();
  const long before = peakKiB();
  QElapsedTimer timer;
  timer.start();
  const double cpu = cpuSeconds();
  QFile file(path);
  const TagMap tags = loadTags(file);
  std::printf("huge line: 1 GiB without a line feed read in %.2f s (%.2f s CPU), %d tags, "
              "peak memory %ld KiB before and %ld KiB after\n",
              timer.elapsed() / 1000.0, cpuSeconds() - cpu, tags.size(), before, peakKiB());
  QFile::remove(path);
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  initTulip();
  const int stations = argc > 1 ? std::atoi(argv[1]) : 50000;
  const int tagsPerFile = argc > 2 ? std::atoi(argv[2]) : 20;
  if (stations < 1 || tagsPerFile < 1) {
    std::fprintf(stderr, "usage: %s [stations] [tags per file]\n", argv[0]);
    return 1;
  }

  QTemporaryDir dir;
  hugeLine(dir.path());

  const auto series = lines(stations);
  for (int i = 0; i < stations; ++i) {
    const int time = i / kClustersPerStep + 1;
    const int cluster = i % kClustersPerStep + 1;
    QByteArray content;
    for (int t = 0; t < tagsPerFile; ++t)
      content += "term" + QByteArray::number((i + t * 7919) % 100000) + '\t' +
                 QByteArray::number(1.0 / (1 + (t * 31 + i) % tagsPerFile), 'f', 3) + '\n';
    if (!writeFile(QString("%1/bench.t%2.c%3.tags").arg(dir.path()).arg(time).arg(cluster),
                   content)) {
      std::fprintf(stderr, "could not write the tag files\n");
      return 1;
    }
    clusterTimeToIdListFeatures[cluster][time] = {"feature"};
  }

  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  auto timeline = series;
  timelineToGraph(graph.get(), timeline);
  deleteMultiEdges(graph.get());
  findMajorStations(graph.get());
  tagCloudStub = "bench";
  TagCache* cache = getTagCloudCache();
  cache->setTagDirPath(dir.path());
  cache->setTagFileExtension(".tags");
  const long beforeLabelling = peakKiB();

  QElapsedTimer timer;
  timer.start();
  double cpu = cpuSeconds();
  clusterProperties(graph.get());
  const double seconds = timer.elapsed() / 1000.0;
  const double labellingCpu = cpuSeconds() - cpu;

  unsigned labelled = 0;
  auto* label = graph->getLocalProperty<tlp::StringProperty>("viewLabel");
  for (tlp::node n : graph->nodes())
    labelled += !label->getNodeValue(n).empty();

  timer.restart();
  cpu = cpuSeconds();
  clusterProperties(graph.get());
  const double cachedSeconds = timer.elapsed() / 1000.0;
  const double cachedCpu = cpuSeconds() - cpu;

  std::printf("labelling: %d stations, %d tags per file, %u labelled in %.2f s (%.2f s CPU): "
              "%.0f files/s (%.0f per CPU second)\n",
              stations, tagsPerFile, labelled, seconds, labellingCpu, stations / seconds,
              stations / labellingCpu);
  std::printf("labelling again from the cache: %.2f s (%.2f s CPU): %.0f stations/s\n",
              cachedSeconds, cachedCpu, stations / cachedSeconds);
  std::printf("peak memory: %ld KiB before labelling, %ld KiB after\n", beforeLabelling, peakKiB());
  return labelled == unsigned(stations) ? 0 : 1;
}
