// Inputs that are not files at all, or files nobody may read: the loader names
// them and stops at once instead of waiting or crashing.

#include "support/Programs.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace {

QStringList argumentsFor(const QString& timeline, const QString& dir) {
  return {timeline, dir + "/step", "obj", "feat", dir, "t", "tags", dir + "/out.tlp"};
}

} // namespace

TEST(HostileInputs, NamedPipesAndUnreadableFilesAreNotOpened) {
  QTemporaryDir dir;
  const QString pipe = dir.path() + "/timeline.fifo";
  ASSERT_EQ(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
  ProgramResult result = runProgram("textferro-export", argumentsFor(pipe, dir.path()), 30000);
  ASSERT_TRUE(result.finished) << "the loader waited for a writer on a named pipe";
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Could not open file " + pipe.toStdString() + "\n");

  const QString locked = dir.path() + "/timeline.txt";
  std::ofstream(locked.toStdString()) << "a: 1=1\n";
  ::chmod(locked.toLocal8Bit().constData(), 0);
  result = runProgramWithOrdinaryFileAccess("textferro-export", argumentsFor(locked, dir.path()));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Could not open file " + locked.toStdString() + "\n");
}

TEST(HostileInputs, EmptyClusterFilesGiveStationsWithoutContent) {
  QTemporaryDir dir;
  const QString base = dir.path();
  std::ofstream((base + "/timeline.txt").toStdString()) << "a: 1=1,2=1\n";
  for (const char* name : {"/step1.obj", "/step1.feat", "/step2.obj", "/step2.feat"})
    std::ofstream((base + name).toStdString());
  const ProgramResult result =
      runProgram("textferro-export", argumentsFor(base + "/timeline.txt", base));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(QFile::exists(base + "/out.tlp"));
}
