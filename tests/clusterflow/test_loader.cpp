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

namespace {

const QString kExample = QString(TEXTFERRO_EXAMPLES) + "/energy";
const std::string kUsage = " <timeline file> <cluster seq stub> <cluster object stub extension> "
                           "<cluster feature stub extension> <tag cloud path> <tag cloud name> "
                           "<tag cloud stub extension>";

QStringList exampleArguments(const QString& timeline = kExample + "/timeline.txt",
                             const QString& stub = kExample + "/clusters/step") {
  return {timeline, stub, "obj", "feat", kExample + "/tags", "energy", "tags"};
}

// A scratch data set: a timeline and the cluster files of every step it names.
class DataSet {
public:
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
  std::string path(const std::string& name) const {
    return dir.path().toStdString() + "/" + name;
  }
  QStringList arguments() const {
    const QString base = dir.path();
    return {base + "/timeline.txt", base + "/step", "obj", "feat", base, "t", "tags"};
  }

  QTemporaryDir dir;
};

ProgramResult exportTo(const QStringList& arguments, const QString& output) {
  return runProgram("textferro-export", QStringList(arguments) << output);
}

} // namespace

TEST(CommandLine, WrongArgumentCountsPrintTheUsage) {
  ProgramResult noArguments = runProgram("textferro", {});
  EXPECT_EQ(noArguments.exitCode, 1);
  EXPECT_EQ(noArguments.err,
            "Invalid syntax:  " + programPath("textferro").toStdString() + kUsage + "\n");

  // The interactive program never takes an output file.
  ProgramResult withOutput = runProgram("textferro", exampleArguments() << "out.tlp");
  EXPECT_EQ(withOutput.exitCode, 1);
  EXPECT_EQ(withOutput.err,
            "Invalid syntax:  " + programPath("textferro").toStdString() + kUsage + "\n");

  ProgramResult exportMissingOutput = runProgram("textferro-export", exampleArguments());
  EXPECT_EQ(exportMissingOutput.exitCode, 1);
  EXPECT_EQ(exportMissingOutput.err, "Invalid syntax:  " +
                                         programPath("textferro-export").toStdString() + kUsage +
                                         " <tulip out file>\n");
}

TEST(CommandLine, MissingFilesAreNamed) {
  ProgramResult missingTimeline =
      runProgram("textferro", exampleArguments(kExample + "/no-such-timeline.txt"));
  EXPECT_EQ(missingTimeline.exitCode, 1);
  EXPECT_EQ(missingTimeline.err,
            "Could not open file " + (kExample + "/no-such-timeline.txt").toStdString() + "\n");

  // A directory in place of the timeline.
  ProgramResult directory = runProgram("textferro", exampleArguments(kExample));
  EXPECT_EQ(directory.exitCode, 1);
  EXPECT_NE(directory.err.find("Could not open file"), std::string::npos);

  // Steps 1 to 5 need ten files; step 3's feature file is missing.
  DataSet data("s: 1=1,2=1,3=1,4=1,5=1\n", 5);
  QFile::remove(QString::fromStdString(data.path("step3.feat")));
  ProgramResult missingCluster = runProgram("textferro", data.arguments());
  EXPECT_EQ(missingCluster.exitCode, 1);
  EXPECT_NE(missingCluster.err.find("Could not open file " + data.path("step3.feat") + "\n"),
            std::string::npos)
      << missingCluster.err;
}

TEST(CommandLine, BadTimelinesAreRejectedWithFileAndLine) {
  struct Case {
    std::string timeline;
    std::string expected;
  } cases[] = {
      {"a: 1=1\nb: 3=\n", ", line 2: invalid timeline item \"3=\""},
      {"a: =4\n", "invalid timeline item \"=4\""},
      {"a: a=1\n", "invalid timeline item \"a=1\""},
      {"a: 1=2=3\n", "invalid timeline item \"1=2=3\""},
      {"a: 99999999999=1\n", "number out of range"},
      {"a: 0=1\n", "time step below 1"},
      {"a: 1=0\n", "cluster number below 1"},
      {"a: 2147483647=1\n", "time step above the limit of 100000"},
      {"a: 1=1,1=2\n", "time step 1 appears with two clusters (1 and 2)"},
      {std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10) + "\n", "invalid timeline item"},
  };
  for (const Case& c : cases) {
    DataSet data(c.timeline, 2);
    ProgramResult result = runProgram("textferro-export", data.arguments() << "out.tlp");
    EXPECT_EQ(result.exitCode, 1) << c.timeline;
    EXPECT_NE(result.err.find(data.path("timeline.txt")), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(c.expected), std::string::npos) << result.err;
    EXPECT_FALSE(QFile::exists("out.tlp"));
  }
}

TEST(CommandLine, HugeInputsAreRejectedBeforeAnythingIsBuilt) {
  // 300 series that start at the last allowed step would need 30 million dummy nodes.
  std::string lateStarts;
  for (int i = 1; i <= 300; ++i)
    lateStarts += "s" + std::to_string(i) + ": 100000=" + std::to_string(i) + "\n";
  DataSet many(lateStarts);
  ProgramResult result = runProgram("textferro-export", many.arguments() << "out.tlp", 30000);
  EXPECT_TRUE(result.finished);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("dummy nodes; at most 20000000 are supported"), std::string::npos)
      << result.err;

  DataSet longTimeline("a: 1=1\n" + std::string(1000000, '1') + "\n", 1);
  result = runProgram("textferro-export", longTimeline.arguments() << "out.tlp");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find(", line 2: line too long"), std::string::npos) << result.err;

  DataSet longCluster("a: 1=1\n", 1);
  longCluster.write("step1.obj", "d1\n" + std::string(2000000, 'd'));
  result = runProgram("textferro-export", longCluster.arguments() << "out.tlp");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find(longCluster.path("step1.obj") + ", line 2: line too long"),
            std::string::npos)
      << result.err;
}

TEST(Export, EmptyTimelineGivesAnEmptyGraph) {
  DataSet data("\n\n");
  const QString output = data.dir.path() + "/empty.tlp";
  ProgramResult result = exportTo(data.arguments(), output);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::unique_ptr<tlp::Graph> graph(tlp::loadGraph(output.toStdString()));
  ASSERT_TRUE(graph);
  EXPECT_EQ(graph->numberOfNodes(), 0u);
}

TEST(Export, ExampleLoadsBackWithItsClustersAndFlows) {
  QTemporaryDir dir;
  const QString output = dir.path() + "/energy.tlp";
  ProgramResult result = exportTo(exampleArguments(), output);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.err.find("Loading timeline... \n"), std::string::npos);
  EXPECT_NE(result.err.find("Creating cluster graph..." "............\n\n"), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("Loading cluster files... ......\n"), std::string::npos);

  std::unique_ptr<tlp::Graph> graph(tlp::loadGraph(output.toStdString()));
  ASSERT_TRUE(graph);
  auto* isDummy = graph->getProperty<tlp::BooleanProperty>("Is Dummy");
  unsigned clusters = 0;
  for (tlp::node n : graph->nodes())
    clusters += !isDummy->getNodeValue(n);
  EXPECT_EQ(clusters, 43u); // 5 + 6 + 7 + 7 + 9 + 9 clusters over six steps

  // Every pair of consecutive items of a series is joined, directly or through
  // invisible dummy nodes; parallel edges are gone.
  std::set<std::pair<unsigned, unsigned>> seen;
  for (tlp::edge e : graph->edges()) {
    const auto ends = graph->ends(e);
    EXPECT_TRUE(seen.insert({ends.first.id, ends.second.id}).second || isDummy->getNodeValue(ends.first));
  }
}

// The heaviest tag of every tag file of the example, read without the tag classes.
std::multiset<std::string> exampleTopTags() {
  std::multiset<std::string> tops;
  for (const QString& name : QDir(kExample + "/tags").entryList({"*.tags"}, QDir::Files)) {
    std::ifstream file((kExample + "/tags/" + name).toStdString());
    std::string line, best;
    double bestWeight = -1;
    while (std::getline(file, line)) {
      std::istringstream fields(line);
      std::string tag;
      double weight = 0;
      if (std::getline(fields, tag, '\t') && fields >> weight && weight > bestWeight) {
        best = tag;
        bestWeight = weight;
      }
    }
    tops.insert(best);
  }
  return tops;
}

TEST(Export, ExampleStationsAreLabelledAndStyled) {
  QTemporaryDir dir;
  const QString output = dir.path() + "/energy.tlp";
  ProgramResult result = exportTo(exampleArguments(), output);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  // Tag ids are the tag cloud name and the file id; the directory is used as given.
  EXPECT_NE(result.err.find("Reading tags for node \"energy.t3.c7\" from  \"" +
                            kExample.toStdString() + "/tags/energy.t3.c7.tags\" \n"),
            std::string::npos)
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
  const tlp::Color grey(180, 180, 180, 255);

  std::multiset<std::string> labels, majorLabels;
  for (tlp::node n : graph->nodes()) {
    if (isDummy->getNodeValue(n))
      continue;
    labels.insert(label->getNodeValue(n));
    if (isMajor->getNodeValue(n)) {
      majorLabels.insert(label->getNodeValue(n));
      EXPECT_EQ(size->getNodeValue(n), tlp::Size(0.75, 0.75, 0.75));
      EXPECT_EQ(colour->getNodeValue(n), tlp::Color(255, 255, 255, 255));
      EXPECT_EQ(borderColour->getNodeValue(n), tlp::Color(0, 0, 0, 255));
      EXPECT_DOUBLE_EQ(borderWidth->getNodeValue(n), 2.1);
      if (graph->indeg(n) > 0 && graph->outdeg(n) > 0) {
        EXPECT_EQ(labelPosition->getNodeValue(n), 2) << label->getNodeValue(n);
      }
    } else {
      EXPECT_EQ(size->getNodeValue(n), tlp::Size(0.5, 0.5, 0.5));
      EXPECT_EQ(colour->getNodeValue(n), grey);
      EXPECT_EQ(borderColour->getNodeValue(n), grey);
      EXPECT_DOUBLE_EQ(borderWidth->getNodeValue(n), 0.1);
    }
  }
  EXPECT_EQ(labels, exampleTopTags());
  // The ends, splits, merges and gaps of the example's lines, by their labels.
  const std::multiset<std::string> expectedMajor{
      "batteries", "carbon",   "charging", "climate",  "climate",    "electric",   "electric",
      "electric",  "fuel",     "hydrogen", "hydrogen", "nuclear",    "nuclear",    "nuclear",
      "nuclear",   "offshore", "oil",      "oil",      "oil",        "renewables", "renewables",
      "solar",     "solar",    "storage",  "storage",  "wind",       "wind",       "wind"};
  EXPECT_EQ(majorLabels, expectedMajor);

  // One visible track per pair of stations that follow each other directly.
  unsigned tracks = 0;
  for (tlp::edge e : graph->edges()) {
    if (colour->getEdgeValue(e) == grey) {
      ++tracks;
      EXPECT_EQ(borderColour->getEdgeValue(e), grey);
    }
  }
  EXPECT_EQ(tracks, 36u);
}

TEST(Export, AFailedExportLeavesAnEarlierFileUntouched) {
  QTemporaryDir dir;
  const QString output = dir.path() + "/keep.tlp";
  {
    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("earlier work");
  }
  DataSet bad("a: x\n", 1);
  EXPECT_EQ(exportTo(bad.arguments(), output).exitCode, 1);

  ProgramResult unwritable = exportTo(exampleArguments(), dir.path() + "/missing/dir/out.tlp");
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_NE(unwritable.err.find("Could not write file " + dir.path().toStdString() +
                                "/missing/dir/out.tlp"),
            std::string::npos)
      << unwritable.err;

  QFile file(output);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("earlier work"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}
