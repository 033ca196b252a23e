#include "app/FerroInterface.h"

#include <QMainWindow>

FerroInterface::FerroInterface(QMainWindow* mainWindow) : QWidget(mainWindow) {
  mainWindow->resize(1440, 900);
  mainWindow->setWindowTitle(tr("TextFerro"));
}

FerroInterface::~FerroInterface() = default;

void FerroInterface::initInterface() {}
