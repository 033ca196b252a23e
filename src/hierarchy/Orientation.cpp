#include "hierarchy/Orientation.h"

#include <tulip/DataSet.h>
#include <tulip/StringCollection.h>

const char* const ORIENTATION_CHOICES = "up to down;down to up;right to left;left to right;";

orientationType getMask(tlp::DataSet* dataSet) {
  const tlp::StringCollection canonical(ORIENTATION_CHOICES);
  size_t index = 0;
  tlp::StringCollection chosen;
  if (dataSet != nullptr && dataSet->get("orientation", chosen)) {
    // An empty collection has no current string: it maps like an unknown one.
    const std::string current = chosen.empty() ? std::string() : chosen.getCurrentString();
    while (index < canonical.size() && canonical.at(index) != current)
      ++index;
  }
  switch (index) {
  case 1:
    return ORI_INVERSION_VERTICAL;
  case 2:
    return ORI_ROTATION_XY;
  case 3:
    return static_cast<orientationType>(ORI_ROTATION_XY | ORI_INVERSION_HORIZONTAL);
  default:
    return ORI_DEFAULT;
  }
}

orientationType maskFromPanel(bool reverseOrientation, bool reverseDirection) {
  int mask = ORI_DEFAULT;
  if (reverseOrientation)
    mask |= ORI_ROTATION_XY;
  if (reverseDirection)
    mask |= reverseOrientation ? ORI_INVERSION_HORIZONTAL : ORI_INVERSION_VERTICAL;
  return static_cast<orientationType>(mask);
}
