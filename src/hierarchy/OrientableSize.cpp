#include "hierarchy/OrientableSize.h"

#include "hierarchy/OrientableSizeProxy.h"

OrientableSize::OrientableSize(OrientableSizeProxy* fatherParam, const float width,
                               const float height, const float depth)
    : tlp::Size(0, 0, 0), father(fatherParam) {
  set(width, height, depth);
}

OrientableSize::OrientableSize(OrientableSizeProxy* fatherParam, const tlp::Size& size)
    : tlp::Size(0, 0, 0), father(fatherParam) {
  set(size);
}

void OrientableSize::set(const float width, const float height, const float depth) {
  setW(width);
  setH(height);
  setD(depth);
}

void OrientableSize::set(const tlp::Size& size) {
  tlp::Size::setW(size.getW());
  tlp::Size::setH(size.getH());
  tlp::Size::setD(size.getD());
}

void OrientableSize::setW(const float width) {
  (this->*(father->writeW))(width);
}

void OrientableSize::setH(const float height) {
  (this->*(father->writeH))(height);
}

void OrientableSize::setD(const float depth) {
  (this->*(father->writeD))(depth);
}

float OrientableSize::getW() const {
  return (this->*(father->readW))();
}

float OrientableSize::getH() const {
  return (this->*(father->readH))();
}

float OrientableSize::getD() const {
  return (this->*(father->readD))();
}

void OrientableSize::get(float* width, float* height, float* depth) const {
  *width = getW();
  *height = getH();
  *depth = getD();
}
