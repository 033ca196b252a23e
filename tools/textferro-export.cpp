// Batch conversion: loads a timeline like the map window does and writes the
// finished map without any window or display: the graph file (.tlp), or a
// drawing of the map (.svg, or .png rendered on Qt's offscreen platform).
//
//   textferro-export [--width <pixels>] <seven loader arguments> <output file>
//   textferro-export [--width <pixels>] <data set folder> <output file>

#include "clusterflow/GenClusterMap.h"
#include "clusterflow/TulipSetup.h"
#include "dataset/LoaderArguments.h"
#include "dataset/ProgramInfo.h"
#include "mapexport/MapExport.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kMaxPngWidth = 20000;

const char* const kHelp =
    "Usage: textferro-export [--width <pixels>] <data set folder> <output file>\n"
    "       textferro-export [--width <pixels>] <timeline file> <cluster seq stub>\n"
    "                        <cluster object stub extension> <cluster feature stub extension>\n"
    "                        <tag cloud path> <tag cloud name> <tag cloud stub extension>\n"
    "                        <output file>\n"
    "Loads a data set like textferro does and writes the finished map without a window:\n"
    "the suffix of the output file chooses the graph file (.tlp, .tlp.gz), a drawing\n"
    "(.svg) or an image (.png).\n"
    "\n"
    "Arguments:\n"
    "  <data set folder>   a folder written by textferro-prepare (see textferro --help\n"
    "                      for the seven arguments its dataset.json names)\n"
    "  <output file>       replaced only once the new file is completely written\n"
    "\n"
    "Options:\n"
    "  --width <pixels>    width of a .png, 1 to 20000 (default 2400); must come first\n"
    "  -h, --help          show this help and exit\n"
    "  --version           show the version and exit\n";

bool parseWidth(const char* text, int& width) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 1 || value > kMaxPngWidth)
    return false;
  width = static_cast<int>(value);
  return true;
}

} // namespace

int main(int argc, char** argv) {
  if (answerHelpOrVersion(argc, argv, "textferro-export", kHelp))
    return 0;
  std::vector<char*> arguments(argv, argv + argc);
  int pngWidth = kDefaultPngWidth;
  bool widthGiven = false;
  if (arguments.size() > 1 && std::strcmp(arguments[1], "--width") == 0) {
    if (arguments.size() < 3 || !parseWidth(arguments[2], pngWidth)) {
      std::cerr << "--width takes a number of pixels from 1 to " << kMaxPngWidth << std::endl;
      return 1;
    }
    widthGiven = true;
    arguments.erase(arguments.begin() + 1, arguments.begin() + 3);
  }
  LoaderArguments dataSet(static_cast<int>(arguments.size()), arguments.data(), 1);
  QString folderError;
  if (!dataSet.resolve(folderError)) {
    std::cerr << folderError.toLocal8Bit().constData() << std::endl;
    return 1;
  }
  arguments.assign(dataSet.argv(), dataSet.argv() + dataSet.argc());
  const int count = static_cast<int>(arguments.size());
  const MapFormat format =
      count == 9 ? mapFormatOf(QString::fromLocal8Bit(arguments[8])) : MapFormat::Graph;
  if (format == MapFormat::Unknown) {
    std::cerr << "Cannot write \"" << arguments[8]
              << "\": the output file name must end in .tlp, .svg or .png" << std::endl;
    return 1;
  }
  if (widthGiven && format != MapFormat::Png) {
    std::cerr << "--width only applies to .png output" << std::endl;
    return 1;
  }

  std::unique_ptr<QCoreApplication> application;
  if (format == MapFormat::Graph) {
    application = std::make_unique<QCoreApplication>(argc, argv);
  } else {
    // Drawing needs fonts and a paint engine, not a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application = std::make_unique<QGuiApplication>(argc, argv);
  }
  initTulip();

  if (format == MapFormat::Graph)
    return loadFiles(count, arguments.data(), true);

  const int result = loadFiles(count - 1, arguments.data(), false);
  if (result != 0)
    return result;
  QString error;
  if (!exportMap(getClusterFlowGraph(), QString::fromLocal8Bit(arguments[8]), format, pngWidth,
                 error)) {
    std::cerr << error.toLocal8Bit().constData() << std::endl;
    return 1;
  }
  return 0;
}
