#ifndef TEXTFERRO_DATASETTOOLS_H
#define TEXTFERRO_DATASETTOOLS_H

// Parameters shared by the layout algorithms: their declaration to the plug-in
// framework, with help texts and defaults, and reading them back from a data set.
// The readers accept a null data set and then give the defaults.

#include <string>

namespace tlp {
class DataSet;
class LayoutAlgorithm;
class SizeProperty;
} // namespace tlp

// The HTML help text of a parameter: a table of its type, values (left out when
// empty) and default, beside the description.
std::string parameterHelp(const std::string& type, const std::string& values,
                          const std::string& defaultValue, const std::string& description);

// Declares "orientation" (up to down, down to up, right to left, left to right).
void addOrientationParameters(tlp::LayoutAlgorithm* pLayout);
// Declares "orthogonal", default false.
void addOrthogonalParameters(tlp::LayoutAlgorithm* pLayout);
// Declares "layer spacing" (64) and "node spacing" (18).
void addSpacingParameters(tlp::LayoutAlgorithm* pLayout);
// Node spacing 18 and layer spacing 64 unless the data set holds float values.
void getSpacingParameters(tlp::DataSet* dataSet, float& nodeSpacing, float& layerSpacing);
// Declares "node size", default "viewSize".
void addNodeSizePropertyParameter(tlp::LayoutAlgorithm* pLayout);
// False when the data set is null or holds no "node size" property.
bool getNodeSizePropertyParameter(tlp::DataSet* dataSet, tlp::SizeProperty*& sizes);
// A new data set (owned by the caller) choosing orientation number pOrientation.
tlp::DataSet* setOrientationParameters(int pOrientation);
// The "orthogonal" flag of the data set, false when absent.
bool hasOrthogonalEdge(tlp::DataSet* dataSet);

#endif
