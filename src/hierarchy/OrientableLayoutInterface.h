#ifndef TEXTFERRO_ORIENTABLELAYOUTINTERFACE_H
#define TEXTFERRO_ORIENTABLELAYOUTINTERFACE_H

// Abstract access to a layout property through an orientation: positions and bend
// lists are handed out as OrientableCoord values that convert on access.

#include "hierarchy/Orientation.h"
#include "hierarchy/OrientableCoord.h"

#include <tulip/Edge.h>
#include <tulip/Node.h>

#include <vector>

class OrientableLayoutInterface {
public:
  virtual ~OrientableLayoutInterface() {}

  virtual OrientableCoord createCoord(float x = 0, float y = 0, float z = 0) = 0;
  virtual OrientableCoord createCoord(const tlp::Coord& v) = 0;

  virtual void setOrientation(orientationType mask) = 0;

  virtual void setAllNodeValue(const OrientableCoord& v) = 0;
  virtual void setAllEdgeValue(const std::vector<OrientableCoord>& v) = 0;
  virtual void setEdgeValue(const tlp::edge e, const std::vector<OrientableCoord>& v) = 0;
  virtual void setNodeValue(tlp::node n, const OrientableCoord& v) = 0;

  virtual OrientableCoord getNodeValue(const tlp::node n) = 0;
  virtual std::vector<OrientableCoord> getEdgeValue(const tlp::edge e) = 0;
  virtual OrientableCoord getNodeDefaultValue() = 0;
  virtual std::vector<OrientableCoord> getEdgeDefaultValue() = 0;
};

#endif
