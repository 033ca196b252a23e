#include "interaction/ClusterFlowCoR.h"

#include "interaction/ClusterFlowInteractor.h"

#include <tulip/MouseInteractors.h>
#include <tulip/Plugin.h>

#include <QIcon>
#include <QLabel>

ClusterFlowCoR::ClusterFlowCoR()
    : ClusterFlowCoR(":/i_selection.png", "Select flows in a diagram") {
  interactorPriority = 5;
  configurationText =
      QStringLiteral("<h3>Selection interactor</h3>") +
      "Select on rectangle.<br/><b>Mouse left</b> down indicates the first corner, <b>Mouse "
      "left</b> up indicates the opposite corner.<br/><br/>" +
      "Add from selection: <ul><li><b>Ctrl + Mouse left</b> click on an element</li></ul>" +
      "Remove from selection: <ul><li><b>Shift + Mouse</b> click</li></ul>";
}

ClusterFlowCoR::ClusterFlowCoR(const QString& iconPath, const QString& text)
    : tlp::GLInteractorComposite(QIcon(iconPath), text) {}

ClusterFlowCoR::~ClusterFlowCoR() {
  delete configurationLabel;
}

bool ClusterFlowCoR::isCompatible(const std::string& viewName) const {
  return viewName == "Node Link Diagram view";
}

void ClusterFlowCoR::construct() {
  push_back(new tlp::MousePanNZoomNavigator);
  push_back(new tlp::MouseNKeysNavigator);
  push_back(new ClusterFlowInteractor);
  if (configurationLabel == nullptr) {
    configurationLabel = new QLabel(configurationText);
    configurationLabel->setWordWrap(true);
  }
}

unsigned int ClusterFlowCoR::priority() const {
  return interactorPriority;
}

QLabel* ClusterFlowCoR::configurationDocWidget() const {
  return configurationLabel;
}

// Written out as the library's PLUGIN macro would, so that the factory and its
// static instance carry the names the rest of the program knows them by.
class ClusterFlowCoRInteractorFactory : public tlp::PluginFactory {
public:
  ClusterFlowCoRInteractorFactory() { registerFactory(this); }

  tlp::Plugin* createPluginObject(tlp::PluginContext*) override { return new ClusterFlowCoR(); }
};

extern "C" {
ClusterFlowCoRInteractorFactory ClusterFlowCoRInteractorFactoryInitializer;
}
