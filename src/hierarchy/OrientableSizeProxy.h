#ifndef TEXTFERRO_ORIENTABLESIZEPROXY_H
#define TEXTFERRO_ORIENTABLESIZEPROXY_H

// Wraps a size property so that an algorithm reads node widths and heights in its
// own frame; the property keeps the drawing sizes, which are never negated.

#include "hierarchy/Orientation.h"
#include "hierarchy/OrientableSize.h"

#include <tulip/Edge.h>
#include <tulip/Node.h>

namespace tlp {
class SizeProperty;
}

class OrientableSizeProxy {
  friend class OrientableSize;

public:
  // The property is not owned and must outlive this object and its sizes.
  OrientableSizeProxy(tlp::SizeProperty* sizesProxyParam, orientationType mask = ORI_DEFAULT);

  OrientableSize createSize(const float width = 0, const float height = 0,
                            const float depth = 0);
  OrientableSize createSize(const tlp::Size& v);

  void setOrientation(orientationType mask);

  void setAllNodeValue(const OrientableSize& v);
  void setAllEdgeValue(const OrientableSize& v);
  void setEdgeValue(const tlp::edge e, const OrientableSize& v);
  void setNodeValue(tlp::node n, const OrientableSize& v);

  OrientableSize getNodeValue(const tlp::node n);
  OrientableSize getEdgeValue(const tlp::edge e);
  OrientableSize getNodeDefaultValue();
  OrientableSize getEdgeDefaultValue();

private:
  typedef float (OrientableSize::*SizeReader)() const;
  typedef void (OrientableSize::*SizeWriter)(float);

  tlp::SizeProperty* sizesProxy;
  orientationType orientation;
  SizeReader readW;
  SizeReader readH;
  SizeReader readD;
  SizeWriter writeW;
  SizeWriter writeH;
  SizeWriter writeD;
};

#endif
