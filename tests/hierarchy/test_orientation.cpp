// Orientation adapters and the shared layout parameters.

#include "hierarchy/DatasetTools.h"
#include "hierarchy/OrientableLayout.h"
#include "hierarchy/OrientableSizeProxy.h"
#include "hierarchy/Orientation.h"

#include <gtest/gtest.h>
#include <tulip/DataSet.h>
#include <tulip/Graph.h>
#include <tulip/LayoutProperty.h>
#include <tulip/SizeProperty.h>
#include <tulip/StringCollection.h>

#include <memory>

namespace {

struct OrientationRow {
  const char* name;
  int index;
  int mask;
  // Stored coordinate written by oriented x = 1 and oriented y = 2.
  tlp::Coord stored;
};

class OrientationTable : public ::testing::TestWithParam<OrientationRow> {};

TEST_P(OrientationTable, MapsTheOrientedFrameToTheStoredOne) {
  const OrientationRow row = GetParam();
  tlp::DataSet* dataSet = setOrientationParameters(row.index);
  EXPECT_EQ(getMask(dataSet), row.mask);
  delete dataSet;

  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  tlp::LayoutProperty layout(graph.get());
  OrientableLayout oriented(&layout, static_cast<orientationType>(row.mask));
  const OrientableCoord c = oriented.createCoord(1, 2, 3);
  EXPECT_EQ(tlp::Coord(c), row.stored);
  EXPECT_FLOAT_EQ(c.getX(), 1);
  EXPECT_FLOAT_EQ(c.getY(), 2);
  EXPECT_FLOAT_EQ(c.getZ(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    FourChoices, OrientationTable,
    ::testing::Values(OrientationRow{"upToDown", 0, 0, tlp::Coord(-1, -2, 3)},
                      OrientationRow{"downToUp", 1, 2, tlp::Coord(-1, 2, 3)},
                      OrientationRow{"rightToLeft", 2, 8, tlp::Coord(-2, -1, 3)},
                      OrientationRow{"leftToRight", 3, 9, tlp::Coord(2, -1, 3)}),
    [](const ::testing::TestParamInfo<OrientationRow>& info) { return info.param.name; });

TEST(OrientableLayout, InvertsZOnlyOnRequestAndFollowsLaterOrientationChanges) {
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  tlp::LayoutProperty layout(graph.get());
  OrientableLayout oriented(&layout, ORI_INVERSION_Z);
  OrientableCoord c = oriented.createCoord(0, 0, 4);
  EXPECT_FLOAT_EQ(c.tlp::Coord::getZ(), -4);

  // Coordinates look their accessors up in the father on every call.
  OrientableCoord leftToRight = oriented.createCoord(tlp::Coord(7, 8, 0));
  oriented.setOrientation(static_cast<orientationType>(9));
  leftToRight.setY(5);
  leftToRight.setX(5);
  EXPECT_EQ(tlp::Coord(leftToRight), tlp::Coord(5, -5, 0));
}

TEST(OrientableLayout, ReadingAndWritingBackLeavesThePropertyUnchanged) {
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  const tlp::node n = graph->addNode();
  const tlp::node m = graph->addNode();
  const tlp::edge e = graph->addEdge(n, m);
  tlp::LayoutProperty layout(graph.get());
  layout.setNodeValue(n, tlp::Coord(1.5f, -2, 3));
  const std::vector<tlp::Coord> bends{tlp::Coord(1, 2, 3), tlp::Coord(-4, 5, 6)};
  layout.setEdgeValue(e, bends);
  for (int mask : {0, 1, 2, 4, 8, 9, 15}) {
    OrientableLayout oriented(&layout, static_cast<orientationType>(mask));
    oriented.setNodeValue(n, oriented.getNodeValue(n));
    oriented.setEdgeValue(e, oriented.getEdgeValue(e));
    EXPECT_EQ(layout.getNodeValue(n), tlp::Coord(1.5f, -2, 3)) << "mask " << mask;
    EXPECT_EQ(layout.getEdgeValue(e), bends) << "mask " << mask;
  }
}

TEST(OrientableSizeProxy, ExchangesWidthAndHeightOnRotationOnly) {
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  const tlp::node n = graph->addNode();
  tlp::SizeProperty sizes(graph.get());
  sizes.setNodeValue(n, tlp::Size(3, 4, 5));
  for (int mask : {0, 1, 2, 4, 8, 9}) {
    OrientableSizeProxy proxy(&sizes, static_cast<orientationType>(mask));
    const OrientableSize s = proxy.getNodeValue(n);
    float w, h, d;
    s.get(&w, &h, &d);
    const bool rotated = (mask & ORI_ROTATION_XY) != 0;
    EXPECT_FLOAT_EQ(w, rotated ? 4 : 3) << "mask " << mask;
    EXPECT_FLOAT_EQ(h, rotated ? 3 : 4) << "mask " << mask;
    EXPECT_FLOAT_EQ(d, 5) << "mask " << mask;
    EXPECT_EQ(tlp::Size(proxy.createSize(w, h, d)), tlp::Size(3, 4, 5)) << "mask " << mask;
  }
}

TEST(LayoutParameters, SpacingDefaultsAndPartialDataSets) {
  float nodeSpacing = 0;
  float layerSpacing = 0;
  getSpacingParameters(nullptr, nodeSpacing, layerSpacing);
  EXPECT_FLOAT_EQ(nodeSpacing, 18);
  EXPECT_FLOAT_EQ(layerSpacing, 64);

  tlp::DataSet dataSet;
  dataSet.set("node spacing", 30.f);
  getSpacingParameters(&dataSet, nodeSpacing, layerSpacing);
  EXPECT_FLOAT_EQ(nodeSpacing, 30);
  EXPECT_FLOAT_EQ(layerSpacing, 64);

  tlp::SizeProperty* sizes = nullptr;
  EXPECT_FALSE(getNodeSizePropertyParameter(nullptr, sizes));
  EXPECT_FALSE(getNodeSizePropertyParameter(&dataSet, sizes));
  EXPECT_FALSE(hasOrthogonalEdge(nullptr));
  dataSet.set("orthogonal", true);
  EXPECT_TRUE(hasOrthogonalEdge(&dataSet));
}

TEST(LayoutParameters, MaskIsChosenByTextAndDefaultsOtherwise) {
  EXPECT_EQ(getMask(nullptr), ORI_DEFAULT);
  tlp::DataSet dataSet;
  EXPECT_EQ(getMask(&dataSet), ORI_DEFAULT);

  // Another order of entries still maps by name.
  tlp::StringCollection reordered(std::string("left to right;up to down;"));
  dataSet.set("orientation", reordered);
  EXPECT_EQ(getMask(&dataSet), ORI_ROTATION_XY | ORI_INVERSION_HORIZONTAL);
  reordered.setCurrent(1u);
  dataSet.set("orientation", reordered);
  EXPECT_EQ(getMask(&dataSet), ORI_DEFAULT);

  dataSet.set("orientation", tlp::StringCollection(std::string("sideways;down to up;")));
  EXPECT_EQ(getMask(&dataSet), ORI_DEFAULT);
  dataSet.set("orientation", tlp::StringCollection());
  EXPECT_EQ(getMask(&dataSet), ORI_DEFAULT);

  EXPECT_EQ(maskFromPanel(true, true), 9);
  EXPECT_EQ(maskFromPanel(true, false), 8);
  EXPECT_EQ(maskFromPanel(false, true), 2);
  EXPECT_EQ(maskFromPanel(false, false), 0);
}

} // namespace
