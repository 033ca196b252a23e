#include "app/LoadProgressDialog.h"

#include "clusterflow/GenClusterMap.h"

#include <QCoreApplication>

namespace {

constexpr int kShowAfterMs = 1000;

} // namespace

LoadProgressDialog::LoadProgressDialog() {
  setWindowTitle(tr("TextFerro"));
  setCancelButton(nullptr);
  setMinimumDuration(kShowAfterMs);
  setMinimumWidth(360);
  setLabelText(tr("Loading..."));
}

LoadProgressDialog::~LoadProgressDialog() {
  setLoadProgress(nullptr);
}

int LoadProgressDialog::load(int argc, char** argv) {
  setLoadProgress(
      [this](const char* stage, int done, int total) { showStage(stage, done, total); });
  const int result = loadFiles(argc, argv, false);
  setLoadProgress(nullptr);
  reset();
  return result;
}

void LoadProgressDialog::showStage(const char* stage, int done, int total) {
  setMaximum(total);
  setLabelText(tr(stage) + "...");
  // Shows the dialog by itself once the load has taken minimumDuration.
  setValue(done);
  QCoreApplication::processEvents();
}
