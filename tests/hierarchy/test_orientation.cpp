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

// Each choice maps the oriented frame to the stored one, and reading and writing
// back through any orientation leaves positions, bends and sizes as they were.
TEST(Orientation, EachChoiceMapsTheOrientedFrameAndWritesBackUnchanged) {
  struct Row {
    int index, mask;
    tlp::Coord stored; // written by oriented x = 1, y = 2, z = 3
  };
  std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
  const tlp::node n = graph->addNode();
  const tlp::edge e = graph->addEdge(n, graph->addNode());
  tlp::LayoutProperty layout(graph.get());
  layout.setNodeValue(n, tlp::Coord(1.5f, -2, 3));
  const std::vector<tlp::Coord> bends{tlp::Coord(1, 2, 3), tlp::Coord(-4, 5, 6)};
  layout.setEdgeValue(e, bends);
  tlp::SizeProperty sizes(graph.get());
  sizes.setNodeValue(n, tlp::Size(3, 4, 5));
  for (const Row& row : {Row{0, 0, {-1, -2, 3}}, Row{1, 2, {-1, 2, 3}}, Row{2, 8, {-2, -1, 3}},
                         Row{3, 9, {2, -1, 3}}}) {
    std::unique_ptr<tlp::DataSet> dataSet(setOrientationParameters(row.index));
    EXPECT_EQ(getMask(dataSet.get()), row.mask);
    OrientableLayout oriented(&layout, static_cast<orientationType>(row.mask));
    const OrientableCoord c = oriented.createCoord(1, 2, 3);
    EXPECT_EQ(tlp::Coord(c), row.stored) << row.mask;
    EXPECT_EQ(tlp::Coord(c.getX(), c.getY(), c.getZ()), tlp::Coord(1, 2, 3)) << row.mask;

    oriented.setNodeValue(n, oriented.getNodeValue(n));
    oriented.setEdgeValue(e, oriented.getEdgeValue(e));
    EXPECT_EQ(layout.getNodeValue(n), tlp::Coord(1.5f, -2, 3)) << row.mask;
    EXPECT_EQ(layout.getEdgeValue(e), bends) << row.mask;
    // Sizes exchange width and height on rotation only.
    OrientableSizeProxy proxy(&sizes, static_cast<orientationType>(row.mask));
    float w, h, d;
    proxy.getNodeValue(n).get(&w, &h, &d);
    EXPECT_EQ(tlp::Size(w, h, d), tlp::Size(row.mask & ORI_ROTATION_XY ? 4 : 3,
                                            row.mask & ORI_ROTATION_XY ? 3 : 4, 5));
    EXPECT_EQ(tlp::Size(proxy.createSize(w, h, d)), tlp::Size(3, 4, 5)) << row.mask;
  }
}

TEST(LayoutParameters, MasksAreChosenByText) {
  EXPECT_EQ(getMask(nullptr), ORI_DEFAULT);
  tlp::DataSet dataSet;
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
  EXPECT_EQ(maskFromPanel(true, true), 9);
  EXPECT_EQ(maskFromPanel(false, true), 2);
}

} // namespace
