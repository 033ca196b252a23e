#ifndef TEXTFERRO_ORIENTABLELAYOUT_H
#define TEXTFERRO_ORIENTABLELAYOUT_H

// Wraps a layout property so that an algorithm computes in its own frame (layers
// along y) while the property keeps the drawing coordinates of the chosen orientation.

#include "hierarchy/OrientableLayoutInterface.h"

namespace tlp {
class LayoutProperty;
}

class OrientableLayout : public OrientableLayoutInterface {
  friend class OrientableCoord;

public:
  // The property is not owned and must outlive this object and its coordinates.
  OrientableLayout(tlp::LayoutProperty* layoutParam, orientationType mask = ORI_DEFAULT);

  OrientableCoord createCoord(float x = 0, float y = 0, float z = 0) override;
  OrientableCoord createCoord(const tlp::Coord& v) override;

  void setOrientation(orientationType mask) override;

  void setAllNodeValue(const OrientableCoord& v) override;
  void setAllEdgeValue(const std::vector<OrientableCoord>& v) override;
  void setEdgeValue(const tlp::edge e, const std::vector<OrientableCoord>& v) override;
  void setNodeValue(tlp::node n, const OrientableCoord& v) override;

  OrientableCoord getNodeValue(const tlp::node n) override;
  std::vector<OrientableCoord> getEdgeValue(const tlp::edge e) override;
  OrientableCoord getNodeDefaultValue() override;
  std::vector<OrientableCoord> getEdgeDefaultValue() override;

private:
  typedef float (OrientableCoord::*CoordReader)() const;
  typedef void (OrientableCoord::*CoordWriter)(float);

  std::vector<OrientableCoord> convertEdgeLinetype(const std::vector<tlp::Coord>& v);

  tlp::LayoutProperty* layout;
  orientationType orientation;
  CoordReader readX;
  CoordReader readY;
  CoordReader readZ;
  CoordWriter writeX;
  CoordWriter writeY;
  CoordWriter writeZ;
};

#endif
