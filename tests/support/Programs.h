#ifndef TEXTFERRO_TESTS_PROGRAMS_H
#define TEXTFERRO_TESTS_PROGRAMS_H

// Runs the project's programs as separate processes, the way users run them.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <string>
#include <unistd.h>

struct ProgramResult {
  int exitCode = -1;
  bool finished = false;
  std::string out;
  std::string err;
};

inline const QString exampleDir = QString(TEXTFERRO_EXAMPLES) + "/energy";

// The program's arguments for the bundled example.
inline QStringList exampleArguments() {
  const QString dir = exampleDir;
  return {dir + "/timeline.txt",
          dir + "/clusters/step",
          "obj",
          "feat",
          dir + "/tags",
          "energy",
          "tags"};
}

inline QString programPath(const char* name) {
  for (const char* dir : {"/src/app/", "/tools/"}) {
    const QString path = QString(TEXTFERRO_BINARY_DIR) + dir + name;
    if (QFile::exists(path))
      return path;
  }
  return QString(TEXTFERRO_BINARY_DIR) + "/" + name;
}

namespace programs_detail {

inline ProgramResult run(const QString& executable, const QStringList& arguments,
                         int timeoutMs) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  // Without a runtime directory Qt prints a warning that would garble stderr.
  const QString runtime = QDir::tempPath() + "/textferro-test-runtime";
  QDir().mkpath(runtime);
  QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  environment.insert("XDG_RUNTIME_DIR", runtime);
  process.setProcessEnvironment(environment);
  process.start(executable, arguments);
  ProgramResult result;
  result.finished = process.waitForFinished(timeoutMs);
  if (!result.finished)
    process.kill();
  result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = process.readAllStandardOutput().toStdString();
  result.err = process.readAllStandardError().toStdString();
  return result;
}

} // namespace programs_detail

// Runs `program` with `arguments`. Windows use Qt's offscreen platform: the
// failure paths must end before any window exists.
inline ProgramResult runProgram(const char* program, const QStringList& arguments,
                                int timeoutMs = 120000) {
  return programs_detail::run(programPath(program), arguments, timeoutMs);
}

// Runs `program` bound by file modes even when the tests run as root, whose
// capabilities would let it read files nobody may read. setpriv takes them out of
// the bounding set, so the program cannot regain them; it stays root and so can
// still reach the build and temporary directories it owns.
inline ProgramResult runProgramWithOrdinaryFileAccess(const char* program,
                                                      const QStringList& arguments) {
  if (::geteuid() != 0)
    return runProgram(program, arguments);
  return programs_detail::run(
      "setpriv",
      QStringList{"--bounding-set=-dac_override,-dac_read_search", "--", programPath(program)} +
          arguments,
      120000);
}

#endif
