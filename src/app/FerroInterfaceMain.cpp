#include "app/FerroInterface.h"
#include "app/LoadProgressDialog.h"
#include "clusterflow/GenClusterMap.h"
#include "clusterflow/TulipSetup.h"
#include "interaction/GlyphSetup.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
  // The graph library keeps textures and glyph geometry in process-wide tables,
  // so every OpenGL view of the process must share one set of GL objects.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  QMainWindow mainWindow(nullptr, Qt::WindowFlags());
  FerroInterface controller(&mainWindow);
  initTulip();
  initGlyphs();

  const int result = LoadProgressDialog().load(argc, argv);
  if (result > 0)
    return result;

  controller.initInterface();
  mainWindow.show();
  return application.exec();
}
