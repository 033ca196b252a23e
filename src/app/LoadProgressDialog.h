#ifndef TEXTFERRO_LOADPROGRESSDIALOG_H
#define TEXTFERRO_LOADPROGRESSDIALOG_H

// The load of the program's window, before the window exists: the stage and a bar
// in a small dialog, shown only once the load has taken a second. The dialog keeps
// the program responsive between stages (it pumps the event loop when loadFiles
// reports a stage); a single long stage still holds it until it ends.

#include <QProgressDialog>

class LoadProgressDialog : public QProgressDialog {
  Q_OBJECT

public:
  LoadProgressDialog();
  ~LoadProgressDialog() override;

  // loadFiles(argc, argv, false) with this dialog told of its stages; its result.
  int load(int argc, char** argv);

private:
  void showStage(const char* stage, int done, int total);
};

#endif
