#ifndef TEXTFERRO_PROPERTIESSETASIDE_H
#define TEXTFERRO_PROPERTIESSETASIDE_H

// Takes the local properties of a graph out of it for a pass of mass deletions and
// puts them back afterwards, so that the pass leaves the same values behind in a
// fraction of the time.
//
// The graph library resets a deleted element's value in every local property of the
// graph: a virtual call and two notifications per property and element. The deletion
// passes of the pipeline remove millions of elements from a large timeline's graph
// and spent most of their time there. A property set aside lives in an unregistered
// twin that deletions do not touch; putting it back copies only the values of the
// elements still in the graph, which is all the resets would have left.
//
// The graph's property objects are replaced when they are put back: pointers to them
// taken before the pass must be fetched again afterwards.

#include <tulip/Graph.h>

#include <cstddef>
#include <string>
#include <vector>

namespace tlp {
class Graph;
class PropertyInterface;
} // namespace tlp

class PropertiesSetAside {
public:
  // Sets aside every local property holding fewer non-default values than half of
  // `deletions`, the number of elements the pass will delete: for those, copying the
  // values out and in costs less than the resets.
  PropertiesSetAside(tlp::Graph* graph, std::size_t deletions);
  // Puts the properties back under their names.
  ~PropertiesSetAside();
  PropertiesSetAside(const PropertiesSetAside&) = delete;
  PropertiesSetAside& operator=(const PropertiesSetAside&) = delete;

  // The property of that name for the length of the pass, set aside or not; one of
  // the graph's otherwise, as tlp::Graph::getProperty finds or makes it.
  template <typename P>
  P* get(const std::string& name) {
    if (tlp::PropertyInterface* twin = find(name))
      return static_cast<P*>(twin);
    return graph_->template getProperty<P>(name);
  }

  // An edge added during the pass may take the id of a deleted one. It must start
  // with default values, as it would once the deleted edge's values were reset.
  void resetEdge(tlp::edge e);

private:
  struct Entry {
    std::string name;
    tlp::PropertyInterface* twin;
    // Whether the twin may hold a value for an edge: it held some when set aside, or
    // it was handed out during the pass. The others need no reset.
    bool mayHoldEdgeValues;
  };

  tlp::PropertyInterface* find(const std::string& name);

  tlp::Graph* graph_;
  std::vector<Entry> aside_;
};

#endif
