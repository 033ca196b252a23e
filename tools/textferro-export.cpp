// Batch conversion: loads a timeline like the map window does and writes the
// finished, laid-out graph to a file, without any window or display.

#include "clusterflow/GenClusterMap.h"
#include "clusterflow/TulipSetup.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  initTulip();
  return loadFiles(argc, argv, true);
}
