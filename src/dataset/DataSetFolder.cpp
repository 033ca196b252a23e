#include "dataset/DataSetFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

const char* const DataSetFolder::kManifestName = "dataset.json";

namespace {

// The manifest's keys are the loader's usage names, in the loader's order.
const char* const kKeys[] = {"timeline file",
                             "cluster seq stub",
                             "cluster object stub extension",
                             "cluster feature stub extension",
                             "tag cloud path",
                             "tag cloud name",
                             "tag cloud stub extension"};
constexpr int kArgumentCount = 7;
// Arguments 1, 2 and 5 (indices 0, 1, 4) are paths; the others are names.
bool isPath(int index) {
  return index == 0 || index == 1 || index == 4;
}

} // namespace

bool DataSetFolder::read(const QString& folder, DataSetFolder& out, QString& error) {
  const QFileInfo info(folder);
  if (!info.exists()) {
    error = "No such data set folder: " + folder;
    return false;
  }
  if (!info.isDir()) {
    error = "Not a data set folder: " + folder + " is not a folder";
    return false;
  }
  const QString path = QDir(folder).filePath(kManifestName);
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
    error = "Not a data set folder: " + path + " is missing or unreadable";
    return false;
  }
  // A manifest is a few hundred bytes; anything far larger is not one.
  const QByteArray content = file.read(1 << 20);
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(content, &parseError);
  if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
    error = path + ": not a JSON object" +
            (parseError.error != QJsonParseError::NoError
                 ? " (" + parseError.errorString() + " at offset " +
                       QString::number(parseError.offset) + ")"
                 : QString());
    return false;
  }
  const QJsonObject manifest = document.object();
  const int version = manifest.value("version").toInt(0);
  if (version < 1 || version > kVersion) {
    error = path + ": \"version\" must be a number from 1 to " + QString::number(kVersion);
    return false;
  }
  QStringList arguments;
  for (const char* key : kKeys) {
    const QString value = manifest.value(key).toString();
    if (value.isEmpty()) {
      error = path + ": \"" + key + "\" is missing, empty or not a text";
      return false;
    }
    arguments << value;
  }
  out.arguments = arguments;
  return true;
}

bool DataSetFolder::write(const QString& folder, QString& error) const {
  QJsonObject manifest{{"version", kVersion}};
  for (int i = 0; i < kArgumentCount; ++i)
    manifest.insert(kKeys[i], arguments.value(i));
  QSaveFile file(QDir(folder).filePath(kManifestName));
  if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(manifest).toJson()) < 0 ||
      !file.commit()) {
    error = "Could not write " + file.fileName() + ": " + file.errorString();
    return false;
  }
  return true;
}

QStringList DataSetFolder::loaderArguments(const QString& folder) const {
  const QDir dir(folder);
  QStringList resolved;
  for (int i = 0; i < kArgumentCount; ++i)
    resolved << (isPath(i) ? dir.filePath(arguments.value(i)) : arguments.value(i));
  return resolved;
}
