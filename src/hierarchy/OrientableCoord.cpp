#include "hierarchy/OrientableCoord.h"

#include "hierarchy/OrientableLayout.h"

OrientableCoord::OrientableCoord(OrientableLayout* fatherParam, float x, float y, float z)
    : tlp::Coord(0, 0, 0), father(fatherParam) {
  set(x, y, z);
}

OrientableCoord::OrientableCoord(OrientableLayout* fatherParam, const tlp::Coord& c)
    : tlp::Coord(0, 0, 0), father(fatherParam) {
  set(c);
}

void OrientableCoord::set(float x, float y, float z) {
  setX(x);
  setY(y);
  setZ(z);
}

void OrientableCoord::set(const tlp::Coord& c) {
  tlp::Coord::setX(c.getX());
  tlp::Coord::setY(c.getY());
  tlp::Coord::setZ(c.getZ());
}

void OrientableCoord::setX(float x) {
  (this->*(father->writeX))(x);
}

void OrientableCoord::setY(float y) {
  (this->*(father->writeY))(y);
}

void OrientableCoord::setZ(float z) {
  (this->*(father->writeZ))(z);
}

float OrientableCoord::getX() const {
  return (this->*(father->readX))();
}

float OrientableCoord::getY() const {
  return (this->*(father->readY))();
}

float OrientableCoord::getZ() const {
  return (this->*(father->readZ))();
}

void OrientableCoord::setInvertedX(float x) {
  tlp::Coord::setX(-x);
}

void OrientableCoord::setInvertedY(float y) {
  tlp::Coord::setY(-y);
}

void OrientableCoord::setInvertedZ(float z) {
  tlp::Coord::setZ(-z);
}

float OrientableCoord::getInvertedX() const {
  return -tlp::Coord::getX();
}

float OrientableCoord::getInvertedY() const {
  return -tlp::Coord::getY();
}

float OrientableCoord::getInvertedZ() const {
  return -tlp::Coord::getZ();
}
