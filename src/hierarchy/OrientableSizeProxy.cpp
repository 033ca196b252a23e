#include "hierarchy/OrientableSizeProxy.h"

#include <tulip/SizeProperty.h>

#include <utility>

OrientableSizeProxy::OrientableSizeProxy(tlp::SizeProperty* sizesProxyParam,
                                         orientationType mask)
    : sizesProxy(sizesProxyParam) {
  setOrientation(mask);
}

OrientableSize OrientableSizeProxy::createSize(const float width, const float height,
                                               const float depth) {
  return OrientableSize(this, width, height, depth);
}

OrientableSize OrientableSizeProxy::createSize(const tlp::Size& v) {
  return OrientableSize(this, v);
}

void OrientableSizeProxy::setOrientation(orientationType mask) {
  orientation = mask;

  readW = &tlp::Size::getW;
  readH = &tlp::Size::getH;
  readD = &tlp::Size::getD;
  writeW = &tlp::Size::setW;
  writeH = &tlp::Size::setH;
  writeD = &tlp::Size::setD;

  if (orientation & ORI_ROTATION_XY) {
    std::swap(readW, readH);
    std::swap(writeW, writeH);
  }
}

void OrientableSizeProxy::setAllNodeValue(const OrientableSize& v) {
  sizesProxy->setAllNodeValue(v);
}

void OrientableSizeProxy::setAllEdgeValue(const OrientableSize& v) {
  sizesProxy->setAllEdgeValue(v);
}

void OrientableSizeProxy::setEdgeValue(const tlp::edge e, const OrientableSize& v) {
  sizesProxy->setEdgeValue(e, v);
}

void OrientableSizeProxy::setNodeValue(tlp::node n, const OrientableSize& v) {
  sizesProxy->setNodeValue(n, v);
}

OrientableSize OrientableSizeProxy::getNodeValue(const tlp::node n) {
  return OrientableSize(this, sizesProxy->getNodeValue(n));
}

OrientableSize OrientableSizeProxy::getEdgeValue(const tlp::edge e) {
  return OrientableSize(this, sizesProxy->getEdgeValue(e));
}

OrientableSize OrientableSizeProxy::getNodeDefaultValue() {
  return OrientableSize(this, sizesProxy->getNodeDefaultValue());
}

OrientableSize OrientableSizeProxy::getEdgeDefaultValue() {
  return OrientableSize(this, sizesProxy->getEdgeDefaultValue());
}
