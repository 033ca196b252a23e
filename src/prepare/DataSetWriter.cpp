#include "prepare/DataSetWriter.h"

#include "dataset/DataSetFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace {

const char* const kTagName = "cluster";

std::filesystem::path fsPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

class FolderWriter {
public:
  explicit FolderWriter(const QString& root) : root(root) {}

  bool file(const QString& name, const QString& content) {
    QFile out(QDir(root).filePath(name));
    const QByteArray bytes = content.toUtf8();
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush()) {
      error = "Could not write " + out.fileName() + ": " + out.errorString();
      return false;
    }
    return true;
  }

  QString error;

private:
  QString root;
};

QString number(double value) {
  return QString::number(value, 'g', 6);
}

QString stepsTable(const PreparedDataSet& dataSet) {
  QString table = "step\tfirst date\tlast date\tdocuments\n";
  for (std::size_t t = 0; t < dataSet.steps.size(); ++t) {
    const Step& step = dataSet.steps[t];
    table += QString("%1\t%2\t%3\t%4\n")
                 .arg(t + 1)
                 .arg(step.firstDate, step.lastDate)
                 .arg(step.documents);
  }
  return table;
}

QString timeline(const PreparedDataSet& dataSet) {
  QString text;
  for (const Series& series : dataSet.series)
    text += series.timelineLine() + '\n';
  return text;
}

bool writeStep(FolderWriter& writer, const Step& step, int t, const WriterOptions& options) {
  QString objects, features;
  for (std::size_t c = 0; c < step.stations.size(); ++c) {
    const Station& station = step.stations[c];
    objects += station.documents.join(',') + '\n';
    QStringList top;
    QString tags;
    for (std::size_t i = 0; i < station.terms.size(); ++i) {
      const auto& [term, weight] = station.terms[i];
      if (int(i) < options.topTerms)
        top << term;
      if (int(i) < options.tags)
        tags += term + '\t' + number(weight) + '\n';
    }
    features += top.join(',') + '\n';
    if (!writer.file(QString("tags/%1.t%2.c%3.tags").arg(kTagName).arg(t).arg(c + 1), tags))
      return false;
  }
  return writer.file(QString("clusters/step%1.obj").arg(t), objects) &&
         writer.file(QString("clusters/step%1.feat").arg(t), features);
}

bool writeFolder(const PreparedDataSet& dataSet, const QString& root, const WriterOptions& options,
                 QString& error) {
  if (!QDir().mkpath(root + "/clusters") || !QDir().mkpath(root + "/tags")) {
    error = "Could not create folder " + root;
    return false;
  }
  FolderWriter writer(root);
  bool written = writer.file("timeline.txt", timeline(dataSet)) &&
                 writer.file("steps.tsv", stepsTable(dataSet));
  for (std::size_t t = 0; written && t < dataSet.steps.size(); ++t)
    written = writeStep(writer, dataSet.steps[t], int(t) + 1, options);
  error = writer.error;
  DataSetFolder manifest;
  manifest.arguments =
      QStringList{"timeline.txt", "clusters/step", "obj", "feat", "tags", kTagName, "tags"};
  return written && manifest.write(root, error);
}

// Moves the complete folder into place. An existing folder is moved aside first
// and removed only once the new one is in place.
bool moveIntoPlace(const QString& temporary, const QString& folder, QString& error) {
  namespace fs = std::filesystem;
  std::error_code failure;
  const bool replacing =
      QFileInfo(folder).isDir() &&
      !QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
  const QFileInfo target(folder);
  const QString aside = target.absolutePath() + "/." + target.fileName() + ".old-" +
                        QString::number(QCoreApplication::applicationPid());
  if (replacing)
    fs::rename(fsPath(folder), fsPath(aside), failure);
  if (!failure)
    fs::rename(fsPath(temporary), fsPath(folder), failure);
  if (failure) {
    error = "Could not move the new data set to " + folder + ": " +
            QString::fromStdString(failure.message());
    if (replacing && !QFileInfo::exists(folder))
      fs::rename(fsPath(aside), fsPath(folder), failure);
    return false;
  }
  if (replacing)
    fs::remove_all(fsPath(aside), failure);
  return true;
}

} // namespace

bool DataSetWriter::checkTarget(const QString& folder, bool force, QString& error) {
  const QFileInfo info(folder);
  if (!info.exists())
    return true;
  if (!info.isDir()) {
    error = folder + " exists and is not a folder";
    return false;
  }
  const QDir dir(folder);
  if (dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
    return true;
  if (!dir.exists(DataSetFolder::kManifestName)) {
    error = folder + " is not empty and is not a data set folder; give a new or empty folder";
    return false;
  }
  if (!force) {
    error = folder + " already holds a data set; --force replaces it";
    return false;
  }
  return true;
}

bool DataSetWriter::write(const PreparedDataSet& dataSet, const QString& givenFolder,
                          const WriterOptions& options, QString& error) {
  if (!checkTarget(givenFolder, options.force, error))
    return false;
  // Absolute and without a trailing '/', so that the hidden folders beside it get
  // proper names.
  const QString folder = QDir::cleanPath(QDir::current().absoluteFilePath(givenFolder));
  const QFileInfo target(folder);
  if (!QDir().mkpath(target.absolutePath())) {
    error = "Could not create folder " + target.absolutePath();
    return false;
  }
  const QString temporary = target.absolutePath() + "/." + target.fileName() + ".part-" +
                            QString::number(QCoreApplication::applicationPid());
  QDir(temporary).removeRecursively();
  if (writeFolder(dataSet, temporary, options, error) && moveIntoPlace(temporary, folder, error))
    return true;
  QDir(temporary).removeRecursively();
  return false;
}
