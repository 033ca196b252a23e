#include "support/Programs.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/DoubleProperty.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/SizeProperty.h>
#include <tulip/StringProperty.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <tuple>

namespace {

const QString kExample = QString(TEXTFERRO_EXAMPLES) + "/energy";
const std::string kUsage = " <timeline file> <cluster seq stub> <cluster object stub extension> "
                           "<cluster feature stub extension> <tag cloud path> <tag cloud name> "
                           "<tag cloud stub extension>";

QStringList exampleArguments(const QString& timeline = kExample + "/timeline.txt") {
  return {timeline, kExample + "/clusters/step", "obj", "feat",
          kExample + "/tags", "energy", "tags"};
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

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
    return {base + "/timeline.txt", base + "/step", "obj", "feat", base, "t", "tags"};
  }
  QTemporaryDir dir;
};

// Runs the program and expects it to fail with `message` in its error output.
void expectFailure(const char* program, const QStringList& arguments, const std::string& message) {
  const ProgramResult result = runProgram(program, arguments);
  EXPECT_EQ(result.exitCode, 1) << message;
  EXPECT_TRUE(contains(result.err, message)) << result.err;
}

} // namespace

TEST(CommandLine, WrongArgumentCountsPrintTheUsage) {
  // The interactive program never takes an output file.
  const std::tuple<const char*, QStringList, std::string> cases[] = {
      {"textferro", {}, ""},
      {"textferro", exampleArguments() << "out.tlp", ""},
      {"textferro-export", exampleArguments(), " <tulip out file>"}};
  for (const auto& [program, arguments, output] : cases) {
    const ProgramResult result = runProgram(program, arguments);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "Invalid syntax:  " + programPath(program).toStdString() + kUsage + output + "\n");
  }
}

TEST(CommandLine, MissingBadAndHugeInputsAreNamedWithFileAndLine) {
  const QString missing = kExample + "/no-such-timeline.txt";
  expectFailure("textferro", exampleArguments(missing),
                "Could not open file " + missing.toStdString() + "\n");
  expectFailure("textferro", exampleArguments(kExample), "Could not open file"); // a directory
  // Steps 1 to 5 need ten files; step 3's feature file is missing.
  DataSet data("s: 1=1,2=1,3=1,4=1,5=1\n", 5);
  QFile::remove(QString::fromStdString(data.path("step3.feat")));
  expectFailure("textferro", data.arguments(),
                "Could not open file " + data.path("step3.feat") + "\n");

  const std::pair<std::string, std::string> cases[] = {
      {"a: 1=1\nb: 3=\n", ", line 2: invalid timeline item \"3=\""},
      {"a: 99999999999=1\n", "number out of range"},
      {"a: 1=1,1=2\n", "time step 1 appears with two clusters (1 and 2)"},
      {std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10) + "\n", "invalid timeline item"},
      {"a: 1=1\n" + std::string(1000000, '1') + "\n", ", line 2: line too long"}};
  for (const auto& [timeline, message] : cases) {
    const DataSet bad(timeline, 2);
    expectFailure("textferro-export", bad.arguments() << "out.tlp", message);
    expectFailure("textferro-export", bad.arguments() << "out.tlp", bad.path("timeline.txt"));
    EXPECT_FALSE(QFile::exists("out.tlp"));
  }
  DataSet longCluster("a: 1=1\n", 1);
  longCluster.write("step1.obj", "d1\n" + std::string(2000000, 'd'));
  expectFailure("textferro-export", longCluster.arguments() << "out.tlp",
                longCluster.path("step1.obj") + ", line 2: line too long");
  // 300 series that start at the last allowed step would need 30 million dummy nodes.
  std::string lateStarts;
  for (int i = 1; i <= 300; ++i)
    lateStarts += "s" + std::to_string(i) + ": 100000=" + std::to_string(i) + "\n";
  expectFailure("textferro-export", DataSet(lateStarts).arguments() << "out.tlp",
                "dummy nodes; at most 20000000 are supported");
}

TEST(Export, EmptyTimelineGivesAnEmptyGraphAndFailuresKeepEarlierFiles) {
  QTemporaryDir dir;
  const QString output = dir.path() + "/out.tlp";
  ASSERT_EQ(runProgram("textferro-export", DataSet("\n\n").arguments() << output).exitCode, 0);
  std::unique_ptr<tlp::Graph> graph(tlp::loadGraph(output.toStdString()));
  ASSERT_TRUE(graph);
  EXPECT_EQ(graph->numberOfNodes(), 0u);

  std::ofstream(output.toStdString()) << "earlier work";
  expectFailure("textferro-export", DataSet("a: x\n", 1).arguments() << output,
                "invalid timeline item \"x\"");
  const QString unwritable = dir.path() + "/missing/dir/out.tlp";
  expectFailure("textferro-export", exampleArguments() << unwritable,
                "Could not write file " + unwritable.toStdString());
  QFile file(output);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("earlier work"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

  // Plain and compressed maps read back alike, each naming its own file.
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

// The heaviest tag of every tag file of the example, read without the tag classes.
std::multiset<std::string> exampleTopTags() {
  std::multiset<std::string> tops;
  for (const QString& name : QDir(kExample + "/tags").entryList({"*.tags"}, QDir::Files)) {
    std::ifstream file((kExample + "/tags/" + name).toStdString());
    std::string line, best, tag;
    double bestWeight = -1, weight = 0;
    while (std::getline(file, line)) {
      std::istringstream fields(line);
      if (std::getline(fields, tag, '\t') && fields >> weight && weight > bestWeight)
        std::tie(best, bestWeight) = std::make_pair(tag, weight);
    }
    tops.insert(best);
  }
  return tops;
}

TEST(Export, ExampleLoadsBackWithItsFlowsAndStyledStations) {
  QTemporaryDir dir;
  const QString output = dir.path() + "/energy.tlp";
  const ProgramResult result = runProgram("textferro-export", exampleArguments() << output);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(contains(result.err, "Loading timeline... \n"));
  EXPECT_TRUE(contains(result.err, "Creating cluster graph..." "............\n\n"));
  EXPECT_TRUE(contains(result.err, "Loading cluster files... ......\n"));
  // Tag ids are the tag cloud name and the file id; the directory is used as given.
  EXPECT_TRUE(contains(result.err, "Reading tags for node \"energy.t3.c7\" from  \"" +
                                       kExample.toStdString() + "/tags/energy.t3.c7.tags\" \n"))
      << result.err;

  std::unique_ptr<tlp::Graph> graph(tlp::loadGraph(output.toStdString()));
  ASSERT_TRUE(graph);
  auto* isDummy = graph->getProperty<tlp::BooleanProperty>("Is Dummy");
  auto* isMajor = graph->getProperty<tlp::BooleanProperty>("Is Major Station");
  auto* label = graph->getProperty<tlp::StringProperty>("viewLabel");
  auto* labelPosition = graph->getProperty<tlp::IntegerProperty>("viewLabelPosition");
  auto* size = graph->getProperty<tlp::SizeProperty>("viewSize");
  auto* colour = graph->getProperty<tlp::ColorProperty>("viewColor");
  auto* borderColour = graph->getProperty<tlp::ColorProperty>("viewBorderColor");
  auto* borderWidth = graph->getProperty<tlp::DoubleProperty>("viewBorderWidth");
  const tlp::Color grey(180, 180, 180, 255), white(255, 255, 255, 255), black(0, 0, 0, 255);

  std::multiset<std::string> labels, majorLabels;
  for (tlp::node n : graph->nodes()) {
    if (isDummy->getNodeValue(n))
      continue;
    labels.insert(label->getNodeValue(n));
    const bool major = isMajor->getNodeValue(n);
    if (major)
      majorLabels.insert(label->getNodeValue(n));
    const float side = major ? 0.75f : 0.5f;
    EXPECT_EQ(size->getNodeValue(n), tlp::Size(side, side, side));
    EXPECT_EQ(colour->getNodeValue(n), major ? white : grey);
    EXPECT_EQ(borderColour->getNodeValue(n), major ? black : grey);
    EXPECT_DOUBLE_EQ(borderWidth->getNodeValue(n), major ? 2.1 : 0.1);
    // Inner major stations have their label below.
    EXPECT_TRUE(!major || graph->indeg(n) == 0 || graph->outdeg(n) == 0 ||
                labelPosition->getNodeValue(n) == 2)
        << label->getNodeValue(n);
  }
  EXPECT_EQ(labels.size(), 43u); // 5 + 6 + 7 + 7 + 9 + 9 clusters over six steps
  EXPECT_EQ(labels, exampleTopTags());
  // The ends, splits, merges and gaps of the example's lines, by their labels.
  EXPECT_EQ(majorLabels, (std::multiset<std::string>{
                             "batteries", "carbon", "charging", "climate", "climate", "electric",
                             "electric", "electric", "fuel", "hydrogen", "hydrogen", "nuclear",
                             "nuclear", "nuclear", "nuclear", "offshore", "oil", "oil", "oil",
                             "renewables", "renewables", "solar", "solar", "storage", "storage",
                             "wind", "wind", "wind"}));

  // One visible track per pair of stations that follow each other directly; parallel
  // edges are gone except through invisible dummy nodes.
  unsigned tracks = 0;
  std::set<std::pair<unsigned, unsigned>> seen;
  for (tlp::edge e : graph->edges()) {
    const auto [from, to] = graph->ends(e);
    EXPECT_TRUE(seen.insert({from.id, to.id}).second || isDummy->getNodeValue(from));
    if (colour->getEdgeValue(e) == grey) {
      ++tracks;
      EXPECT_EQ(borderColour->getEdgeValue(e), grey);
    }
  }
  EXPECT_EQ(tracks, 36u);
}
