#ifndef TEXTFERRO_FERROINTERFACE_H
#define TEXTFERRO_FERROINTERFACE_H

// Controller of the main window: the map view, the tag-cloud matrix and the
// detail window.

#include <QWidget>

class QMainWindow;

class FerroInterface : public QWidget {
  Q_OBJECT

public:
  explicit FerroInterface(QMainWindow* mainWindow);
  ~FerroInterface() override;

  // Takes over the loaded graph and shows it.
  void initInterface();
};

#endif
