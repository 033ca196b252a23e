#include "app/FerroInterface.h"
#include "app/LoadProgressDialog.h"
#include "clusterflow/GenClusterMap.h"
#include "clusterflow/TulipSetup.h"
#include "dataset/LoaderArguments.h"
#include "dataset/ProgramInfo.h"
#include "interaction/GlyphSetup.h"

#include <QApplication>
#include <QMainWindow>

#include <iostream>

namespace {

const char* const kHelp =
    "Usage: textferro <data set folder>\n"
    "       textferro <timeline file> <cluster seq stub> <cluster object stub extension>\n"
    "                 <cluster feature stub extension> <tag cloud path> <tag cloud name>\n"
    "                 <tag cloud stub extension>\n"
    "Shows the cluster-flow map of a data set in a window: select flows with the middle\n"
    "mouse button, colour them with the keys 0 to 9, read their tag clouds.\n"
    "\n"
    "Arguments:\n"
    "  <data set folder>                 a folder written by textferro-prepare: its\n"
    "                                    dataset.json names the seven arguments below\n"
    "  <timeline file>                   one line per flow of documents\n"
    "  <cluster seq stub>                path prefix of the per-time-step cluster files\n"
    "  <cluster object stub extension>   extension of the files of each cluster's documents\n"
    "  <cluster feature stub extension>  extension of the files of each cluster's terms\n"
    "  <tag cloud path>                  folder of the tag files\n"
    "  <tag cloud name>                  first part of every tag file name\n"
    "  <tag cloud stub extension>        extension of the tag files\n"
    "\n"
    "Options:\n"
    "  -h, --help                        show this help and exit\n"
    "  --version                         show the version and exit\n";

} // namespace

int main(int argc, char** argv) {
  if (answerHelpOrVersion(argc, argv, "textferro", kHelp))
    return 0;
  // The graph library keeps textures and glyph geometry in process-wide tables,
  // so every OpenGL view of the process must share one set of GL objects.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  QMainWindow mainWindow(nullptr, Qt::WindowFlags());
  FerroInterface controller(&mainWindow);
  initTulip();
  initGlyphs();

  LoaderArguments arguments(argc, argv, 0);
  QString error;
  if (!arguments.resolve(error)) {
    std::cerr << error.toLocal8Bit().constData() << std::endl;
    return 1;
  }
  const int result = LoadProgressDialog().load(arguments.argc(), arguments.argv());
  if (result > 0)
    return result;

  controller.initInterface();
  mainWindow.show();
  return application.exec();
}
