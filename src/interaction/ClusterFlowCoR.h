#ifndef TEXTFERRO_CLUSTERFLOWCOR_H
#define TEXTFERRO_CLUSTERFLOWCOR_H

// The complete interactor of node-link diagram views: the library's pan-and-zoom
// and keyboard navigators behind the flow selection, registered as "ClusterFlowCoR".

#include <tulip/GLInteractor.h>
#include <tulip/PluginContext.h>

#include <QString>

class QLabel;

class ClusterFlowCoR : public tlp::GLInteractorComposite {
  Q_OBJECT

public:
  PLUGININFORMATION("ClusterFlowCoR", "TextFerro developers", "24/06/2010", "Selection Interactor",
                    "1.0", "")

  // The registered interactor: priority 5 and the texts of the selection tool.
  ClusterFlowCoR();
  ClusterFlowCoR(const QString& iconPath, const QString& text);
  ~ClusterFlowCoR() override;

  bool isCompatible(const std::string& viewName) const override;
  // Fills the chain: pan and zoom, then keys, then flows (asked first once installed).
  void construct() override;
  unsigned int priority() const override;
  // The help text as a label, made by construct() (widgets need the application).
  QLabel* configurationDocWidget() const override;

private:
  unsigned int interactorPriority = 0;
  QString configurationText;
  QLabel* configurationLabel = nullptr;
};

#endif
