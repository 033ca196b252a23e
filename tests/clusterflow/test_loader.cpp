#include "support/Programs.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/Graph.h>
#include <tulip/StringProperty.h>

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <tuple>

namespace {

// A scratch data set: a timeline and the cluster files of every step it names.
struct DataSet {
  explicit DataSet(const std::string& timeline, int steps = 0) {
    write("timeline.txt", timeline);
    for (int t = 1; t <= steps; ++t) {
      write("step" + std::to_string(t) + ".obj", "d1,d2\nd3\nd4\n");
      write("step" + std::to_string(t) + ".feat", "w1\nw2,w3\nw4\n");
    }
  }
  void write(const std::string& name, const std::string& content) {
    std::ofstream(path(name), std::ios::binary) << content;
  }
  std::string path(const std::string& name) const { return dir.path().toStdString() + "/" + name; }
  QStringList arguments() const {
    const QString base = dir.path();
    return {base + "/timeline.txt", base + "/step", "obj", "feat", base, "t", "tags",
            base + "/out.tlp"};
  }
  QTemporaryDir dir;
};

// Runs the program and expects it to fail with `message` in its error output.
void expectFailure(const char* program, const QStringList& arguments, const std::string& message) {
  const ProgramResult result = runProgram(program, arguments);
  EXPECT_EQ(result.exitCode, 1) << message;
  EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
}

} // namespace

TEST(CommandLine, WrongArgumentCountsPrintTheUsage) {
  const std::string usage = " <timeline file> <cluster seq stub> <cluster object stub extension> "
                            "<cluster feature stub extension> <tag cloud path> <tag cloud name> "
                            "<tag cloud stub extension>";
  // The interactive program never takes an output file.
  const std::tuple<const char*, QStringList, std::string> cases[] = {
      {"textferro", {}, ""},
      {"textferro", exampleArguments() << "out.tlp", ""},
      {"textferro-export", exampleArguments(), " <tulip out file>"}};
  for (const auto& [program, arguments, output] : cases) {
    const ProgramResult result = runProgram(program, arguments);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "Invalid syntax:  " + programPath(program).toStdString() + usage + output + "\n");
  }
}

TEST(CommandLine, MissingBadAndHugeInputsAreNamedWithFileAndLine) {
  // Steps 1 to 5 need ten files; step 3's feature file is missing.
  DataSet data("s: 1=1,2=1,3=1,4=1,5=1\n", 5);
  std::remove(data.path("step3.feat").c_str());
  expectFailure("textferro-export", data.arguments(),
                "Could not open file " + data.path("step3.feat") + "\n");

  const DataSet bad("a: 1=1\nb: 3=\n", 2);
  expectFailure("textferro-export", bad.arguments(),
                bad.path("timeline.txt") + ", line 2: invalid timeline item \"3=\"");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(bad.path("out.tlp"))));
  DataSet longCluster("a: 1=1\n", 1);
  longCluster.write("step1.obj", "d1\n" + std::string(2000000, 'd'));
  expectFailure("textferro-export", longCluster.arguments(),
                longCluster.path("step1.obj") + ", line 2: line too long");
  // 300 series that start at the last allowed step would need 30 million dummy nodes.
  std::string lateStarts;
  for (int i = 1; i <= 300; ++i)
    lateStarts += "s" + std::to_string(i) + ": 100000=" + std::to_string(i) + "\n";
  expectFailure("textferro-export", DataSet(lateStarts).arguments(),
                "dummy nodes; at most 20000000 are supported");
}

TEST(Export, EmptyTimelinesGiveEmptyGraphsAndCompressedMapsReadBackAlike) {
  const DataSet empty("\n\n");
  ASSERT_EQ(runProgram("textferro-export", empty.arguments()).exitCode, 0);
  std::unique_ptr<tlp::Graph> graph(tlp::loadGraph(empty.path("out.tlp")));
  ASSERT_TRUE(graph);
  EXPECT_EQ(graph->numberOfNodes(), 0u);

  QTemporaryDir dir;
  std::vector<std::unique_ptr<tlp::Graph>> maps;
  for (const char* name : {"map.tlp", "map.tlp.gz"}) {
    const std::string path = (dir.path() + "/" + name).toStdString();
    ASSERT_EQ(runProgram("textferro-export", exampleArguments() << path.c_str()).exitCode, 0);
    maps.emplace_back(tlp::loadGraph(path));
    ASSERT_TRUE(maps.back());
    std::string recorded;
    maps.back()->getAttribute("file", recorded);
    EXPECT_EQ(recorded, path);
  }
  EXPECT_GT(maps[0]->numberOfNodes(), 0u);
  EXPECT_EQ(maps[1]->numberOfNodes(), maps[0]->numberOfNodes());
  EXPECT_EQ(maps[1]->numberOfEdges(), maps[0]->numberOfEdges());
}

TEST(Export, ExampleLoadsBackWithItsFlowsAndStations) {
  QTemporaryDir dir;
  const QString output = dir.path() + "/energy.tlp";
  const ProgramResult result = runProgram("textferro-export", exampleArguments() << output);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::unique_ptr<tlp::Graph> graph(tlp::loadGraph(output.toStdString()));
  ASSERT_TRUE(graph);
  auto* isDummy = graph->getProperty<tlp::BooleanProperty>("Is Dummy");
  auto* isMajor = graph->getProperty<tlp::BooleanProperty>("Is Major Station");
  auto* label = graph->getProperty<tlp::StringProperty>("viewLabel");
  auto* colour = graph->getProperty<tlp::ColorProperty>("viewColor");
  const tlp::Color grey(180, 180, 180, 255);
  std::multiset<std::string> majorLabels;
  for (tlp::node n : graph->nodes()) {
    EXPECT_FALSE(isDummy->getNodeValue(n));
    if (isMajor->getNodeValue(n))
      majorLabels.insert(label->getNodeValue(n));
    EXPECT_EQ(colour->getNodeValue(n) == grey, !isMajor->getNodeValue(n));
  }
  EXPECT_EQ(graph->numberOfNodes(), 43u); // 5 + 6 + 7 + 7 + 9 + 9 clusters over six steps
  // The ends, splits, merges and gaps of the example's lines, by their labels.
  EXPECT_EQ(
      majorLabels,
      (std::multiset<std::string>{
          "batteries", "carbon",   "charging", "climate",  "climate", "electric",   "electric",
          "electric",  "fuel",     "hydrogen", "hydrogen", "nuclear", "nuclear",    "nuclear",
          "nuclear",   "offshore", "oil",      "oil",      "oil",     "renewables", "renewables",
          "solar",     "solar",    "storage",  "storage",  "wind",    "wind",       "wind"}));
  // One visible track per pair of stations that follow each other directly.
  unsigned tracks = 0;
  std::set<std::pair<unsigned, unsigned>> seen;
  for (tlp::edge e : graph->edges()) {
    const auto [from, to] = graph->ends(e);
    EXPECT_TRUE(seen.insert({from.id, to.id}).second);
    tracks += colour->getEdgeValue(e) == grey;
  }
  EXPECT_EQ(tracks, 36u);
}
