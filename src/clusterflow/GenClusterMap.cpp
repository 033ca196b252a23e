#include "clusterflow/GenClusterMap.h"

#include "clusterflow/FlowGraphArrays.h"
#include "clusterflow/TimelineReader.h"
#include "tagcloud/tagcache.h"

#include <tulip/DataSet.h>
#include <tulip/Graph.h>
#include <tulip/TlpTools.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <unistd.h>
#include <utility>

ClusterTimeToNode clusterTimeToNode(10);
NodeToClusterTime nodeToClusterTime(10);
ClusterTimeToIdList clusterTimeToIdListObjects(10);
ClusterTimeToIdList clusterTimeToIdListFeatures(10);
NodeToFileId nodeToFileId(10);
tlp::Graph* clusterFlowDiagram = nullptr;
QString tagCloudStub;
TagCache* tagCache = new TagCache();

tlp::Graph* getClusterFlowGraph() {
  return clusterFlowDiagram;
}

NodeToFileId& getNodeToFileId() {
  return nodeToFileId;
}

QString& getTagCloudStub() {
  return tagCloudStub;
}

TagCache* getTagCloudCache() {
  return tagCache;
}

namespace {

unsigned int idCount(const ClusterTimeToIdList& lists, tlp::node n) {
  const auto clusterTime = nodeToClusterTime.find(n);
  if (clusterTime == nodeToClusterTime.end())
    return 0;
  const auto byCluster = lists.find(clusterTime->second.first);
  if (byCluster == lists.end())
    return 0;
  const auto byTime = byCluster->second.find(clusterTime->second.second);
  return byTime == byCluster->second.end() ? 0 : static_cast<unsigned int>(byTime->second.size());
}

const char* const kUsage = " <timeline file> <cluster seq stub> <cluster object stub extension> "
                           "<cluster feature stub extension> <tag cloud path> <tag cloud name> "
                           "<tag cloud stub extension>";

std::string clusterFileName(const std::string& stub, int time, const std::string& extension) {
  return stub + toString(time) + "." + extension;
}

LoadProgress loadProgress;
int loadStages = 6; // one more when the map is saved
// The stage in progress: its name, its number, the share of it that the next headway
// reports fill, and the last step told.
const char* stageName = "";
int stageNumber = 0;
double shareFrom = 0;
double shareTo = 1;
int stepTold = 0;

void reportStage(const char* stage, int done) {
  stageName = stage;
  stageNumber = done;
  shareFrom = 0;
  shareTo = 1;
  stepTold = done * kLoadProgressSteps;
  if (loadProgress)
    loadProgress(stage, stepTold, loadStages * kLoadProgressSteps);
}

// The pipeline that turns the bare graph into the finished metro map.
void runGraphPipeline(tlp::Graph* graph) {
  reportStage("Simplifying the graph", 3);
  deleteMultiEdges(graph);
  reportStage("Labelling the stations", 4);
  setStageShare(0, 0.2);
  findMajorStations(graph);
  setStageShare(0.2, 1);
  clusterProperties(graph);
  reportStage("Laying out the map", 5);
  subwayLayout(graph);
}

// The same pipeline on the arrays that hold the bare graph, which builds the map into
// the empty `graph`. A graph that cannot be drawn on arrays takes the pipeline above.
void runArraysPipeline(FlowGraphArrays& arrays, tlp::Graph* graph) {
  reportStage("Simplifying the graph", 3);
  if (!arrays.removeParallelEdges()) {
    arrays.toLibraryGraph(graph);
    runGraphPipeline(graph);
    return;
  }
  reportStage("Labelling the stations", 4);
  setStageShare(0, 0.2);
  arrays.findMajorStations();
  setStageShare(0.2, 1);
  arrays.readLabels();
  reportStage("Laying out the map", 5);
  arrays.layOut(graph);
}

// The graph library's exporter ends every line with std::endl. A file buffer that
// writes on every flush makes that one system call per line; this one writes whole
// blocks, and the rest when it is closed.
class BlockWritingFileBuf : public std::filebuf {
protected:
  int sync() override { return 0; }
};

// Writes the graph in the graph library's text format, compressed if asked, and
// records `recordedName` as the graph's file, as tlp::saveGraph would for it.
bool writeGraph(tlp::Graph* graph, const std::string& file, bool compressed,
                const std::string& recordedName) {
  tlp::DataSet parameters;
  parameters.set("file", recordedName);
  if (compressed) {
    std::unique_ptr<std::ostream> out(tlp::getOgzstream(file));
    return tlp::exportGraph(graph, *out, "TLP Export", parameters) && out->good();
  }
  BlockWritingFileBuf buffer;
  std::vector<char> block(1 << 20);
  buffer.pubsetbuf(block.data(), static_cast<std::streamsize>(block.size()));
  if (buffer.open(file, std::ios::out | std::ios::trunc) == nullptr)
    return false;
  std::ostream out(&buffer);
  const bool written = tlp::exportGraph(graph, out, "TLP Export", parameters) && out.good();
  return buffer.close() != nullptr && written;
}

// Writes the graph beside `path` first and renames it into place only once it is
// complete, so that a failed save never destroys an earlier file.
bool saveGraphSafely(tlp::Graph* graph, const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  const bool compressed = path.size() > 3 && path.compare(path.size() - 3, 3, ".gz") == 0;
  const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".part-" +
                                                     std::to_string(::getpid()));
  if (!writeGraph(graph, temporary.string(), compressed, path)) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  std::error_code renameError;
  fs::rename(temporary, target, renameError);
  if (renameError) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  return true;
}

} // namespace

void setLoadProgress(LoadProgress progress) {
  loadProgress = std::move(progress);
}

void setStageShare(double from, double to) {
  shareFrom = from;
  shareTo = to;
}

void reportStageProgress(std::size_t done, std::size_t total) {
  if (!loadProgress || total == 0)
    return;
  const double fraction = shareFrom + (shareTo - shareFrom) * std::min(done, total) / total;
  // The next stage's first step is its own to tell.
  const int step =
      stageNumber * kLoadProgressSteps +
      std::min(static_cast<int>(fraction * kLoadProgressSteps), kLoadProgressSteps - 1);
  if (step <= stepTold)
    return;
  stepTold = step;
  loadProgress(stageName, step, loadStages * kLoadProgressSteps);
}

unsigned int numObjects(tlp::node n) {
  return idCount(clusterTimeToIdListObjects, n);
}

unsigned int numFeatures(tlp::node n) {
  return idCount(clusterTimeToIdListFeatures, n);
}

void stringSplit(std::string str, std::string delim, std::vector<std::string>& results) {
  std::size_t start = str.find_first_not_of(delim);
  while (start != std::string::npos) {
    const std::size_t end = str.find_first_of(delim, start);
    results.push_back(str.substr(start, end == std::string::npos ? std::string::npos : end - start));
    start = str.find_first_not_of(delim, end);
  }
}

std::string toString(int number) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", number);
  return text;
}

int loadFiles(int argc, char** argv, bool writeToDisk) {
  if (argc != (writeToDisk ? 9 : 8)) {
    std::cerr << "Invalid syntax:  " << (argc > 0 && argv[0] ? argv[0] : "textferro") << kUsage
              << (writeToDisk ? " <tulip out file>" : "") << std::endl;
    return 1;
  }

  const std::string timelinePath = argv[1];
  const std::string clusterStub = argv[2];
  const std::string objectExtension = argv[3];
  const std::string featureExtension = argv[4];
  tagCloudStub = QString::fromLocal8Bit(argv[6]);
  tagCache->setTagDirPath(QString::fromLocal8Bit(argv[5]));
  tagCache->setTagFileExtension("." + QString::fromLocal8Bit(argv[7]));
  const std::string outputPath = writeToDisk ? argv[8] : std::string();

  // A second load in the same process starts from empty tables and reads the
  // tag files afresh.
  tagCache->clear();
  clusterTimeToNode.clear();
  nodeToClusterTime.clear();
  clusterTimeToIdListObjects.clear();
  clusterTimeToIdListFeatures.clear();
  nodeToFileId.clear();

  if (!timeline::isReadableFile(timelinePath)) {
    std::cerr << "Could not open file " << timelinePath << std::endl;
    return 1;
  }

  loadStages = writeToDisk ? 7 : 6;
  reportStage("Reading the timeline", 0);
  std::cerr << "Loading timeline... " << std::flush;
  std::vector<timeline::Series> timeClusterList;
  int maxTime = -1;
  std::string error;
  if (!timeline::readTimeline(timelinePath, timeClusterList, maxTime, error)) {
    std::cerr << std::endl << error << std::endl;
    return 1;
  }
  std::cerr << std::endl;

  const long long dummies = timeline::countDummyNodes(timeClusterList);
  if (dummies > timeline::kMaxDummyNodes) {
    std::cerr << timelinePath << ": the gaps and late starts of the series need " << dummies
              << " dummy nodes; at most " << timeline::kMaxDummyNodes << " are supported"
              << std::endl;
    return 1;
  }

  // Every time step needs its two cluster files. Look for all of them before the
  // graph is built, so that a missing one fails at once on a large timeline.
  for (int time = 1; time <= maxTime; ++time) {
    for (const std::string* extension : {&objectExtension, &featureExtension}) {
      const std::string name = clusterFileName(clusterStub, time, *extension);
      if (!timeline::isReadableFile(name)) {
        std::cerr << "Could not open file " << name << std::endl;
        return 1;
      }
    }
  }

  tlp::Graph* graph = tlp::newGraph();

  reportStage("Building the cluster graph", 1);
  std::cerr << "Creating cluster graph..." << std::flush;
  // The dummy nodes and parallel edges of a large timeline never enter the graph
  // library's graph: the pipeline runs on arrays and builds only the finished map.
  auto arrays = std::make_unique<FlowGraphArrays>(timeClusterList);
  std::cerr << std::endl;
  timeClusterList = std::vector<timeline::Series>();

  reportStage("Reading the cluster files", 2);
  std::cerr << "Loading cluster files... " << std::flush;
  for (int time = 1; time <= maxTime; ++time) {
    std::cerr << "." << std::flush;
    if (!timeline::readClusterFile(clusterFileName(clusterStub, time, objectExtension), time,
                                   clusterTimeToIdListObjects, error) ||
        !timeline::readClusterFile(clusterFileName(clusterStub, time, featureExtension), time,
                                   clusterTimeToIdListFeatures, error)) {
      std::cerr << std::endl << error << std::endl;
      delete graph;
      return 1;
    }
  }
  std::cerr << std::endl;

  runArraysPipeline(*arrays, graph);
  arrays.reset();

  if (writeToDisk)
    reportStage("Saving the map", 6);
  if (writeToDisk && !saveGraphSafely(graph, outputPath)) {
    std::cerr << "Could not write file " << outputPath << std::endl;
    delete graph;
    return 1;
  }

  clusterFlowDiagram = graph;
  reportStage("Done", loadStages);
  return 0;
}
