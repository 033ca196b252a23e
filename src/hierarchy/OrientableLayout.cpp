#include "hierarchy/OrientableLayout.h"

#include <tulip/LayoutProperty.h>

#include <utility>

namespace {

std::vector<tlp::Coord> storedCoords(const std::vector<OrientableCoord>& v) {
  return std::vector<tlp::Coord>(v.begin(), v.end());
}

} // namespace

OrientableLayout::OrientableLayout(tlp::LayoutProperty* layoutParam, orientationType mask)
    : layout(layoutParam) {
  setOrientation(mask);
}

OrientableCoord OrientableLayout::createCoord(float x, float y, float z) {
  return OrientableCoord(this, x, y, z);
}

OrientableCoord OrientableLayout::createCoord(const tlp::Coord& v) {
  return OrientableCoord(this, v);
}

void OrientableLayout::setOrientation(orientationType mask) {
  orientation = mask;

  readX = &OrientableCoord::getInvertedX;
  readY = &OrientableCoord::getInvertedY;
  readZ = &tlp::Coord::getZ;
  writeX = &OrientableCoord::setInvertedX;
  writeY = &OrientableCoord::setInvertedY;
  writeZ = &tlp::Coord::setZ;

  if (orientation & ORI_INVERSION_HORIZONTAL) {
    readX = &tlp::Coord::getX;
    writeX = &tlp::Coord::setX;
  }
  if (orientation & ORI_INVERSION_VERTICAL) {
    readY = &tlp::Coord::getY;
    writeY = &tlp::Coord::setY;
  }
  if (orientation & ORI_INVERSION_Z) {
    readZ = &OrientableCoord::getInvertedZ;
    writeZ = &OrientableCoord::setInvertedZ;
  }
  if (orientation & ORI_ROTATION_XY) {
    std::swap(readX, readY);
    std::swap(writeX, writeY);
  }
}

void OrientableLayout::setAllNodeValue(const OrientableCoord& v) {
  layout->setAllNodeValue(v);
}

void OrientableLayout::setAllEdgeValue(const std::vector<OrientableCoord>& v) {
  layout->setAllEdgeValue(storedCoords(v));
}

void OrientableLayout::setEdgeValue(const tlp::edge e, const std::vector<OrientableCoord>& v) {
  layout->setEdgeValue(e, storedCoords(v));
}

void OrientableLayout::setNodeValue(tlp::node n, const OrientableCoord& v) {
  layout->setNodeValue(n, v);
}

OrientableCoord OrientableLayout::getNodeValue(const tlp::node n) {
  return OrientableCoord(this, layout->getNodeValue(n));
}

std::vector<OrientableCoord> OrientableLayout::getEdgeValue(const tlp::edge e) {
  return convertEdgeLinetype(layout->getEdgeValue(e));
}

OrientableCoord OrientableLayout::getNodeDefaultValue() {
  return OrientableCoord(this, layout->getNodeDefaultValue());
}

std::vector<OrientableCoord> OrientableLayout::getEdgeDefaultValue() {
  return convertEdgeLinetype(layout->getEdgeDefaultValue());
}

std::vector<OrientableCoord> OrientableLayout::convertEdgeLinetype(
    const std::vector<tlp::Coord>& v) {
  std::vector<OrientableCoord> converted;
  converted.reserve(v.size());
  for (const tlp::Coord& c : v)
    converted.emplace_back(this, c);
  return converted;
}
