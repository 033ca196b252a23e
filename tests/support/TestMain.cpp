// Shared entry point of the GoogleTest binaries: a Qt application object (some
// code under test uses Qt's event machinery) and the graph library set up once.

#include "clusterflow/TulipSetup.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  initTulip();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
