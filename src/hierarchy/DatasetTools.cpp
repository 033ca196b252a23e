#include "hierarchy/DatasetTools.h"

#include "hierarchy/Orientation.h"

#include <tulip/DataSet.h>
#include <tulip/PropertyAlgorithm.h>
#include <tulip/SizeProperty.h>
#include <tulip/StringCollection.h>

std::string parameterHelp(const std::string& type, const std::string& values,
                          const std::string& defaultValue, const std::string& description) {
  std::string help = "<table><tr><td>"
                     "<table CELLSPACING=5 bgcolor=\"#EEEEEE\">"
                     "<tr><td><b>Type</b></td><td><FONT COLOR=\"red\">" +
                     type + "</FONT></td></tr>";
  if (!values.empty())
    help += "<tr><td><b>Values</b></td><td><FONT COLOR=\"red\">" + values + "</FONT></td></tr>";
  help += "<tr><td><b>Default</b></td><td><FONT COLOR=\"red\">" + defaultValue +
          "</FONT></td></tr>"
          "</table></td><td>" +
          description + "</td></tr></table>";
  return help;
}

void addOrientationParameters(tlp::LayoutAlgorithm* pLayout) {
  pLayout->addInParameter<tlp::StringCollection>(
      "orientation",
      parameterHelp("StringCollection",
                    "up to down <BR> down to up <BR> right to left <BR> left to right",
                    "up to down", "Choose your <BR> wished orientation"),
      ORIENTATION_CHOICES, true);
}

void addOrthogonalParameters(tlp::LayoutAlgorithm* pLayout) {
  pLayout->addInParameter<bool>(
      "orthogonal",
      parameterHelp("Boolean", "true <BR> false", "false", "If true then use orthogonal edges"),
      "false", true);
}

void addSpacingParameters(tlp::LayoutAlgorithm* pLayout) {
  pLayout->addInParameter<float>(
      "layer spacing",
      parameterHelp("float", "", "64.",
                    "This parameter enables to set up the minimum space between two layers in the "
                    "drawing"),
      "64.", true);
  pLayout->addInParameter<float>(
      "node spacing",
      parameterHelp("float", "", "18.",
                    "This parameter enables to set up the minimum space between two nodes in the "
                    "same layer"),
      "18.", true);
}

void getSpacingParameters(tlp::DataSet* dataSet, float& nodeSpacing, float& layerSpacing) {
  layerSpacing = 64.f;
  nodeSpacing = 18.f;
  if (dataSet != nullptr) {
    dataSet->get("node spacing", nodeSpacing);
    dataSet->get("layer spacing", layerSpacing);
  }
}

void addNodeSizePropertyParameter(tlp::LayoutAlgorithm* pLayout) {
  pLayout->addInParameter<tlp::SizeProperty>(
      "node size",
      parameterHelp("Size", "An existing size property", "viewSize",
                    "This parameter defines the property used for node's sizes."),
      "viewSize", true);
}

bool getNodeSizePropertyParameter(tlp::DataSet* dataSet, tlp::SizeProperty*& sizes) {
  if (dataSet == nullptr)
    return false;
  return dataSet->get("node size", sizes);
}

tlp::DataSet* setOrientationParameters(int pOrientation) {
  tlp::DataSet* dataSet = new tlp::DataSet();
  tlp::StringCollection orientation(ORIENTATION_CHOICES);
  orientation.setCurrent(static_cast<unsigned int>(pOrientation));
  dataSet->set("orientation", orientation);
  return dataSet;
}

bool hasOrthogonalEdge(tlp::DataSet* dataSet) {
  bool orthogonal = false;
  if (dataSet != nullptr)
    dataSet->get("orthogonal", orthogonal);
  return orthogonal;
}
