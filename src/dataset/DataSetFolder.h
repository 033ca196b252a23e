#ifndef TEXTFERRO_DATASETFOLDER_H
#define TEXTFERRO_DATASETFOLDER_H

// A data set folder: the files of one cluster timeline together with a manifest,
// "dataset.json", that names the loader's seven arguments relative to the folder.
//
//   {"version": 1,
//    "timeline file": "timeline.txt",
//    "cluster seq stub": "clusters/step",
//    "cluster object stub extension": "obj",
//    "cluster feature stub extension": "feat",
//    "tag cloud path": "tags",
//    "tag cloud name": "cluster",
//    "tag cloud stub extension": "tags"}
//
// Paths may also be absolute. Keys the reader does not know are ignored, so that
// later versions can add to the manifest.

#include <QString>
#include <QStringList>

class DataSetFolder {
public:
  static const char* const kManifestName; // "dataset.json"
  static constexpr int kVersion = 1;

  // The seven arguments in the loader's order, as the manifest holds them.
  QStringList arguments{"timeline.txt", "clusters/step", "obj", "feat", "tags", "cluster", "tags"};

  // Reads the manifest of `folder`. On failure returns false and says in `error`
  // which folder or file is wrong and why; `out` is then unchanged.
  static bool read(const QString& folder, DataSetFolder& out, QString& error);
  // Writes the manifest into `folder` (which must exist) through QSaveFile.
  bool write(const QString& folder, QString& error) const;
  // The seven arguments with the two paths and the stub resolved against `folder`.
  QStringList loaderArguments(const QString& folder) const;
};

#endif
