#include "app/FerroInterface.h"
#include "clusterflow/GenClusterMap.h"
#include "clusterflow/TulipSetup.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QMainWindow mainWindow(nullptr, Qt::WindowFlags());
  FerroInterface controller(&mainWindow);
  initTulip();

  const int result = loadFiles(argc, argv, false);
  if (result > 0)
    return result;

  controller.initInterface();
  mainWindow.show();
  return application.exec();
}
