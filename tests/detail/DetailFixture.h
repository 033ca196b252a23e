#ifndef TEXTFERRO_TESTS_DETAILFIXTURE_H
#define TEXTFERRO_TESTS_DETAILFIXTURE_H

// Small coloured graphs for the detail window and a window whose state the tests
// can read.

#include "detail/DynamicGraphSmallMultiples.h"
#include "tagcloud/tagcloud.h"

#include <QGridLayout>
#include <QLabel>
#include <QStringList>

#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/StringProperty.h>

#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

class InspectableDetails : public DynamicGraphSmallMultiples {
public:
  using DynamicGraphSmallMultiples::curEnd;
  using DynamicGraphSmallMultiples::curPath;
  using DynamicGraphSmallMultiples::curStart;
  using DynamicGraphSmallMultiples::DynamicGraphSmallMultiples;
  using DynamicGraphSmallMultiples::indexSubGraph;
  using DynamicGraphSmallMultiples::roots;
  using DynamicGraphSmallMultiples::widgetSeries;
};

// A graph whose nodes carry their names as labels. Stations listed in `coloured`
// get the colour; every other node has no colour (-1).
struct MetroGraph {
  MetroGraph(const std::vector<std::string>& names, const std::vector<std::string>& edges,
             const std::vector<std::string>& uncoloured = {}, int colour = 2)
      : graph(tlp::newGraph()) {
    auto* colourId = graph->getProperty<tlp::IntegerProperty>("Colour ID");
    colourId->setAllNodeValue(-1);
    colourId->setAllEdgeValue(-1);
    auto* label = graph->getProperty<tlp::StringProperty>("viewLabel");
    for (const std::string& name : names) {
      const tlp::node n = graph->addNode();
      label->setNodeValue(n, name);
      station[name] = n;
      bool isColoured = true;
      for (const std::string& other : uncoloured)
        isColoured = isColoured && other != name;
      colourId->setNodeValue(n, isColoured ? colour : -1);
    }
    // "A>B" is an edge from A to B.
    for (const std::string& edge : edges) {
      const auto arrow = edge.find('>');
      graph->addEdge(station.at(edge.substr(0, arrow)), station.at(edge.substr(arrow + 1)));
    }
  }
  ~MetroGraph() { delete graph; }
  MetroGraph(const MetroGraph&) = delete;
  MetroGraph& operator=(const MetroGraph&) = delete;

  std::string name(tlp::node n) const {
    return graph->getProperty<tlp::StringProperty>("viewLabel")->getNodeValue(n);
  }

  tlp::Graph* graph;
  std::map<std::string, tlp::node> station;
  NodeToFileId fileIds;
  NodeToCount documents;
  NodeToCount terms;
};

// The current path as "R-A-C".
inline QString pathOf(const InspectableDetails& details, const MetroGraph& metro) {
  QStringList names;
  for (const auto& entry : details.curPath)
    names << QString::fromStdString(metro.name(entry.first));
  return names.join('-');
}

inline QLabel* captionAt(DynamicGraphSmallMultiples& details, int row, int column) {
  QLayoutItem* item = details.smallMultiplesMatrix->itemAtPosition(row, column);
  return item != nullptr ? item->widget()->findChild<QLabel*>() : nullptr;
}

// Captions of the cells, row by row.
inline QStringList captions(DynamicGraphSmallMultiples& details) {
  QStringList texts;
  for (int row = 0; row < 2; ++row)
    for (int column = 0; column < 3; ++column)
      if (QLabel* label = captionAt(details, row, column))
        texts << label->text();
  return texts;
}

// Collects what is written to standard error while it lives.
class ErrorCapture {
public:
  ErrorCapture() : previous(std::cerr.rdbuf(captured.rdbuf())) {}
  ~ErrorCapture() { std::cerr.rdbuf(previous); }
  std::string text() const { return captured.str(); }

private:
  std::ostringstream captured;
  std::streambuf* previous;
};

#endif
