#ifndef TEXTFERRO_TESTS_DETAILFIXTURE_H
#define TEXTFERRO_TESTS_DETAILFIXTURE_H

// Small coloured graphs for the detail window and a window whose state the tests
// can read.

#include "detail/DynamicGraphSmallMultiples.h"
#include "tagcloud/tagcloud.h"

#include <QStringList>

#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/StringProperty.h>

#include <map>
#include <sstream>
#include <string>

class InspectableDetails : public DynamicGraphSmallMultiples {
public:
  using DynamicGraphSmallMultiples::curPath;
  using DynamicGraphSmallMultiples::DynamicGraphSmallMultiples;
  using DynamicGraphSmallMultiples::indexSubGraph;
  using DynamicGraphSmallMultiples::widgetSeries;
};

// A graph of stations named in `names` ("R A B") joined by `edges` ("R>A R>B"),
// labelled with their names. Every station has colour 2, no edge has a colour.
struct MetroGraph {
  MetroGraph(const std::string& names, const std::string& edges) : graph(tlp::newGraph()) {
    auto* colourId = graph->getProperty<tlp::IntegerProperty>("Colour ID");
    colourId->setAllNodeValue(2);
    colourId->setAllEdgeValue(-1);
    std::istringstream nameList(names), edgeList(edges);
    for (std::string name; nameList >> name;)
      graph->getProperty<tlp::StringProperty>("viewLabel")
          ->setNodeValue(station[name] = graph->addNode(), name);
    for (std::string edge; edgeList >> edge;)
      graph->addEdge(station.at(edge.substr(0, edge.find('>'))),
                     station.at(edge.substr(edge.find('>') + 1)));
  }
  ~MetroGraph() { delete graph; }
  MetroGraph(const MetroGraph&) = delete;

  std::string name(tlp::node n) const {
    return graph->getProperty<tlp::StringProperty>("viewLabel")->getNodeValue(n);
  }
  void open(DynamicGraphSmallMultiples& details, int colour = 2, QTagCloud* macroCloud = nullptr,
            TagCache* cache = nullptr) {
    details.initialize(graph, colour, "news", macroCloud, cache, &fileIds, &documents, &terms);
  }

  tlp::Graph* graph;
  std::map<std::string, tlp::node> station;
  NodeToFileId fileIds;
  NodeToCount documents, terms;
};

// The current path as "R-A-C".
inline QString pathOf(const InspectableDetails& details, const MetroGraph& metro) {
  QStringList names;
  for (const auto& entry : details.curPath)
    names << QString::fromStdString(metro.name(entry.first));
  return names.join('-');
}

#endif
