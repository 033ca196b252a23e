// The whole path from a table of documents to a data set folder and a map, with
// the fixture folders of tests/data/prepare as named rows:
//   invalid/<case>/documents.<csv|tsv|jsonl>, error (expected message; {table} is
//     the table's path), options (extra arguments, optional);
//   valid/<case>/documents.<one or more formats>, options, expected/ (files the
//     folder must hold byte for byte; every format must give the same folder).

#include "dataset/DataSetFolder.h"
#include "prepare/Preparation.h"
#include "support/Programs.h"

#include <tulip/BooleanProperty.h>
#include <tulip/Graph.h>
#include <tulip/StringProperty.h>

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

using Tree = std::map<QString, QByteArray>; // relative path -> content

QByteArray contentOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Tree treeOf(const QString& root) {
  Tree tree;
  QDirIterator files(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString path = files.next();
    tree[QDir(root).relativeFilePath(path)] = contentOf(path);
  }
  return tree;
}

QStringList optionsOf(const QDir& fixture) {
  return QString(contentOf(fixture.filePath("options")))
      .split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
}

QStringList fixtures(const char* kind) {
  const QDir dir(QString(TEXTFERRO_TEST_DATA) + "/prepare/" + kind);
  QStringList paths;
  for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
    paths << dir.filePath(name);
  return paths;
}

} // namespace

TEST(PrepareFixtures, BadTablesAreRefusedWithFileLineAndReasonAndNothingIsWritten) {
  const QStringList cases = fixtures("invalid");
  ASSERT_GE(cases.size(), 10);
  for (const QDir fixture : cases) {
    const QString table = fixture.filePath(fixture.entryList({"documents.*"}).value(0));
    QTemporaryDir dir;
    const QString folder = dir.filePath("out");
    const ProgramResult result =
        runProgram("textferro-prepare", optionsOf(fixture) << table << folder);
    const std::string expected = QString(contentOf(fixture.filePath("error")))
                                     .replace("{table}", table)
                                     .trimmed()
                                     .toStdString();
    EXPECT_EQ(result.exitCode, 1) << fixture.path().toStdString();
    EXPECT_NE(result.err.find(expected), std::string::npos) << expected << "\n" << result.err;
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());
  }
}

TEST(PrepareFixtures, GoodTablesGiveTheExpectedFilesAndTheSameFolderInEveryFormat) {
  for (const QDir fixture : fixtures("valid")) {
    const Tree expected = treeOf(fixture.filePath("expected"));
    ASSERT_FALSE(expected.empty());
    Tree first;
    for (const QString& table : fixture.entryList({"documents.*"})) {
      SCOPED_TRACE(fixture.filePath(table).toStdString());
      QTemporaryDir dir;
      const ProgramResult result = runProgram(
          "textferro-prepare", optionsOf(fixture) << fixture.filePath(table) << dir.path());
      ASSERT_EQ(result.exitCode, 0) << result.err;
      const Tree folder = treeOf(dir.path());
      for (const auto& [name, content] : expected)
        EXPECT_EQ(folder.count(name) ? folder.at(name) : "<missing>", content)
            << name.toStdString();
      if (first.empty())
        first = folder;
      EXPECT_EQ(folder, first);
    }
  }
}

TEST(PrepareExample, GivesTheSameFolderEveryTimeReplacesOnlyWhatItMayAndMakesALabelledMap) {
  QTemporaryDir dir;
  const QString table = QString(TEXTFERRO_EXAMPLES) + "/documents/energy.csv";
  const QString folder = dir.filePath("energy");
  PrepareOptions options;
  options.stopWordsFile = QString(TEXTFERRO_EXAMPLES) + "/documents/stop-words.txt";
  options.writer.force = true;
  QString error;
  // Not even --force replaces a folder that is not a data set.
  QDir().mkpath(folder);
  QFile(folder + "/notes.txt").open(QIODevice::WriteOnly);
  EXPECT_FALSE(Preparation().run(table, folder, options, error));
  EXPECT_TRUE(QFile::remove(folder + "/notes.txt"));

  ASSERT_TRUE(Preparation().run(table, folder, options, error)) << error.toStdString();
  const Tree written = treeOf(folder);
  options.writer.force = false;
  EXPECT_FALSE(Preparation().run(table, folder, options, error));
  options.writer.force = true;
  ASSERT_TRUE(Preparation().run(table, folder, options, error)) << error.toStdString();
  EXPECT_EQ(treeOf(folder), written);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{"energy"});

  // Series labels end at the first ':' and hold no ','.
  const QStringList lines = QString(written.at("timeline.txt")).split('\n', Qt::SkipEmptyParts);
  for (const QString& line : lines)
    EXPECT_TRUE(
        QRegularExpression("^\\d+ documents?: \\d+=\\d+(,\\d+=\\d+)*$").match(line).hasMatch())
        << line.toStdString();
  int stations = 0;
  for (const auto& [name, content] : written)
    stations += name.endsWith(".obj") ? content.count('\n') : 0;

  const QString map = dir.filePath("energy.tlp");
  const ProgramResult result = runProgram("textferro-export", {folder, map});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::unique_ptr<tlp::Graph> graph(tlp::loadGraph(map.toStdString()));
  ASSERT_TRUE(graph);
  EXPECT_EQ(int(graph->numberOfNodes()), stations);
  for (tlp::node n : graph->nodes())
    EXPECT_FALSE(graph->getProperty<tlp::StringProperty>("viewLabel")->getNodeValue(n).empty());
}

TEST(DataSetFolders, FoldersWithoutAUsableManifestAreNamedAndRefused) {
  QTemporaryDir dir;
  const auto folderWith = [&dir](const QString& name, const QByteArray& manifest) {
    QDir().mkpath(dir.filePath(name));
    QFile file(dir.filePath(name + "/dataset.json"));
    if (!manifest.isNull() && file.open(QIODevice::WriteOnly))
      file.write(manifest);
    return dir.filePath(name);
  };
  QFile(dir.filePath("file")).open(QIODevice::WriteOnly);
  const std::pair<QString, QString> cases[] = {
      {dir.filePath("missing"), "No such data set folder: "},
      {dir.filePath("file"), "is not a folder"},
      {folderWith("empty", QByteArray()), "dataset.json is missing or unreadable"},
      {folderWith("broken", "{\"version\": 1,"), "dataset.json: not a JSON object"},
      {folderWith("newer", "{\"version\": 2}"), "\"version\" must be a number from 1 to 1"},
      {folderWith("short", "{\"version\": 1, \"timeline file\": \"t\"}"),
       "\"cluster seq stub\" is missing, empty or not a text"}};
  for (const auto& [folder, message] : cases) {
    DataSetFolder dataSet;
    QString error;
    EXPECT_FALSE(DataSetFolder::read(folder, dataSet, error));
    EXPECT_TRUE(error.contains(message)) << error.toStdString();
    for (const auto& [program, arguments] :
         {std::pair("textferro", QStringList{folder}),
          std::pair("textferro-export", QStringList{folder, dir.filePath("out.tlp")})}) {
      const ProgramResult result = runProgram(program, arguments);
      EXPECT_EQ(result.exitCode, 1) << program;
      EXPECT_NE(result.err.find(message.toStdString()), std::string::npos) << result.err;
    }
  }
  // Paths are read relative to the folder unless they are absolute.
  DataSetFolder written;
  written.arguments[4] = "/elsewhere/tags";
  QString error;
  ASSERT_TRUE(written.write(folderWith("good", QByteArray()), error));
  DataSetFolder read;
  ASSERT_TRUE(DataSetFolder::read(dir.filePath("good"), read, error));
  EXPECT_EQ(read.loaderArguments(dir.filePath("good")),
            (QStringList{dir.filePath("good/timeline.txt"), dir.filePath("good/clusters/step"),
                         "obj", "feat", "/elsewhere/tags", "cluster", "tags"}));
}

TEST(ProgramInfo, EveryProgramAnswersHelpAndVersionWithoutADisplay) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove("DISPLAY");
  environment.remove("WAYLAND_DISPLAY");
  environment.insert("QT_QPA_PLATFORM", "xcb"); // fails at once if a window system is needed
  for (const char* program : {"textferro", "textferro-export", "textferro-prepare"}) {
    for (const char* option : {"--help", "--version"}) {
      QProcess process;
      process.setProcessEnvironment(environment);
      process.start(programPath(program), {option});
      ASSERT_TRUE(process.waitForFinished(30000));
      const QString out = process.readAllStandardOutput();
      EXPECT_EQ(process.exitCode(), 0) << program << process.readAllStandardError().toStdString();
      if (QString(option) == "--version")
        EXPECT_TRUE(QRegularExpression(QString("^%1 \\d+\\.\\d+\\.\\d+\\n$").arg(program))
                        .match(out)
                        .hasMatch())
            << out.toStdString();
      else
        EXPECT_TRUE(out.contains("Usage:") &&
                    out.contains(QString(program) == "textferro-prepare" ? "(default 0.5"
                                                                         : "<data set folder>"))
            << out.toStdString();
    }
  }
}
