// The load as the map window does it: loadFiles until the graph is published, without
// saving or drawing. Prints the wall and CPU seconds of every stage that loadFiles
// reports through its progress hook, the longest time the hook was not called (what a
// progress bar would stand still for), the whole load and the peak resident memory.
//
// Usage: bench_load <seven loader arguments> 2>/dev/null
//        bench_load <data set folder> 2>/dev/null
// The loader's progress goes to standard error; the figures go to standard output.
// With BENCH_TRACE set in the environment, every move of the bar is printed too (its
// time, stage and step), to find where it stands still.

#include "clusterflow/GenClusterMap.h"
#include "clusterflow/TulipSetup.h"
#include "dataset/LoaderArguments.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>

namespace {

long peakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  initTulip();
  LoaderArguments arguments(argc, argv, 0);
  QString error;
  if (!arguments.resolve(error)) {
    std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
    return 1;
  }

  QElapsedTimer clock;
  clock.start();
  const double cpuAtStart = cpuSeconds();
  std::string stage = "Starting";
  double stageWall = 0;
  double stageCpu = cpuAtStart;
  double lastCall = 0;
  double longestStill = 0;
  std::string stillIn = stage;
  const bool trace = std::getenv("BENCH_TRACE") != nullptr;
  auto finishStage = [&](double now, double cpu) {
    std::printf("%-28s %7.2f s %7.2f s CPU\n", stage.c_str(), now - stageWall, cpu - stageCpu);
  };
  setLoadProgress([&](const char* name, int done, int) {
    const double now = clock.nsecsElapsed() / 1e9;
    if (now - lastCall > longestStill) {
      longestStill = now - lastCall;
      stillIn = stage;
    }
    lastCall = now;
    if (trace)
      std::printf("%.2f s %s %d\n", now, name, done);
    if (stage == name)
      return;
    const double cpu = cpuSeconds();
    finishStage(now, cpu);
    stage = name;
    stageWall = now;
    stageCpu = cpu;
  });

  const int result = loadFiles(arguments.argc(), arguments.argv(), false);
  setLoadProgress(nullptr);
  const double total = clock.nsecsElapsed() / 1e9;
  if (result != 0) {
    std::fprintf(stderr, "the load failed\n");
    return result;
  }
  std::printf("load %.2f s wall %.2f s CPU peak %ld MiB; progress still for at most %.2f s "
              "(in \"%s\")\n",
              total, cpuSeconds() - cpuAtStart, peakMiB(), longestStill, stillIn.c_str());
  return 0;
}
