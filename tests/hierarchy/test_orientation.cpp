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

TEST(Orientation, EachChoiceMapsTheOrientedFrameToTheStoredOne) {
  struct Row {
    int index, mask;
    tlp::Coord stored; // written by oriented x = 1, y = 2, z = 3
  };
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  tlp::LayoutProperty layout(graph.get());
  for (const Row& row : {Row{0, 0, {-1, -2, 3}}, Row{1, 2, {-1, 2, 3}}, Row{2, 8, {-2, -1, 3}},
                         Row{3, 9, {2, -1, 3}}}) {
    std::unique_ptr<tlp::DataSet> dataSet(setOrientationParameters(row.index));
    EXPECT_EQ(getMask(dataSet.get()), row.mask);
    OrientableLayout oriented(&layout, static_cast<orientationType>(row.mask));
    const OrientableCoord c = oriented.createCoord(1, 2, 3);
    EXPECT_EQ(tlp::Coord(c), row.stored) << row.mask;
    EXPECT_EQ(tlp::Coord(c.getX(), c.getY(), c.getZ()), tlp::Coord(1, 2, 3)) << row.mask;
  }
}

TEST(OrientableLayout, InvertsZOnRequestFollowsLaterChangesAndWritesBackUnchanged) {
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  const tlp::node n = graph->addNode(), m = graph->addNode();
  const tlp::edge e = graph->addEdge(n, m);
  tlp::LayoutProperty layout(graph.get());
  OrientableLayout oriented(&layout, ORI_INVERSION_Z);
  EXPECT_FLOAT_EQ(oriented.createCoord(0, 0, 4).tlp::Coord::getZ(), -4);
  // Coordinates look their accessors up in the father on every call.
  OrientableCoord leftToRight = oriented.createCoord(tlp::Coord(7, 8, 0));
  oriented.setOrientation(static_cast<orientationType>(9));
  leftToRight.setY(5);
  leftToRight.setX(5);
  EXPECT_EQ(tlp::Coord(leftToRight), tlp::Coord(5, -5, 0));

  layout.setNodeValue(n, tlp::Coord(1.5f, -2, 3));
  const std::vector<tlp::Coord> bends{tlp::Coord(1, 2, 3), tlp::Coord(-4, 5, 6)};
  layout.setEdgeValue(e, bends);
  tlp::SizeProperty sizes(graph.get());
  sizes.setNodeValue(n, tlp::Size(3, 4, 5));
  for (int mask : {0, 1, 2, 4, 8, 9, 15}) {
    OrientableLayout turned(&layout, static_cast<orientationType>(mask));
    turned.setNodeValue(n, turned.getNodeValue(n));
    turned.setEdgeValue(e, turned.getEdgeValue(e));
    EXPECT_EQ(layout.getNodeValue(n), tlp::Coord(1.5f, -2, 3)) << mask;
    EXPECT_EQ(layout.getEdgeValue(e), bends) << mask;

    // Sizes exchange width and height on rotation only.
    OrientableSizeProxy proxy(&sizes, static_cast<orientationType>(mask));
    float w, h, d;
    proxy.getNodeValue(n).get(&w, &h, &d);
    const bool rotated = (mask & ORI_ROTATION_XY) != 0;
    EXPECT_EQ(tlp::Size(w, h, d), rotated ? tlp::Size(4, 3, 5) : tlp::Size(3, 4, 5)) << mask;
    EXPECT_EQ(tlp::Size(proxy.createSize(w, h, d)), tlp::Size(3, 4, 5)) << mask;
  }
}

TEST(LayoutParameters, DefaultsPartialDataSetsAndMasksChosenByText) {
  float nodeSpacing = 0, layerSpacing = 0;
  getSpacingParameters(nullptr, nodeSpacing, layerSpacing);
  EXPECT_EQ(std::make_pair(nodeSpacing, layerSpacing), std::make_pair(18.f, 64.f));
  tlp::DataSet dataSet;
  dataSet.set("node spacing", 30.f);
  getSpacingParameters(&dataSet, nodeSpacing, layerSpacing);
  EXPECT_EQ(std::make_pair(nodeSpacing, layerSpacing), std::make_pair(30.f, 64.f));
  tlp::SizeProperty* sizes = nullptr;
  EXPECT_FALSE(getNodeSizePropertyParameter(nullptr, sizes));
  EXPECT_FALSE(getNodeSizePropertyParameter(&dataSet, sizes));
  EXPECT_FALSE(hasOrthogonalEdge(nullptr));
  dataSet.set("orthogonal", true);
  EXPECT_TRUE(hasOrthogonalEdge(&dataSet));

  EXPECT_EQ(getMask(nullptr), ORI_DEFAULT);
  EXPECT_EQ(getMask(&dataSet), ORI_DEFAULT);
  // Another order of entries still maps by name; unknown or no entries give the default.
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

  EXPECT_EQ((std::vector<int>{maskFromPanel(true, true), maskFromPanel(true, false),
                              maskFromPanel(false, true), maskFromPanel(false, false)}),
            (std::vector<int>{9, 8, 2, 0}));
}

} // namespace
