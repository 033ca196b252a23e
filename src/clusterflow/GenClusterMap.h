#ifndef TEXTFERRO_GENCLUSTERMAP_H
#define TEXTFERRO_GENCLUSTERMAP_H

// Loading of a cluster timeline and the pipeline that turns it into the
// cluster-flow graph: one node per cluster and time step, edges along every
// series, dummy nodes across time gaps, station styling and the metro-map layout.
//
// The process-wide state below is written once by loadFiles() and read by the
// windows afterwards. The graph and the maps live until the process ends.

#include <QString>
#include <QStringList>

#include <tulip/Coord.h>
#include <tulip/Edge.h>
#include <tulip/Node.h>
#include <tulip/Size.h>

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tlp {
class Graph;
class LayoutProperty;
}
class TagCache;

using ClusterTimeToNode = std::unordered_map<int, std::unordered_map<int, tlp::node>>;
using NodeToClusterTime = std::unordered_map<tlp::node, std::pair<int, int>>;
using ClusterTimeToIdList = std::unordered_map<int, std::unordered_map<int, std::vector<std::string>>>;
using NodeToFileId = std::unordered_map<tlp::node, QString>;
using NodeToCount = std::unordered_map<tlp::node, unsigned int>; // documents or terms per node

// ---- Process-wide state ----------------------------------------------------
extern ClusterTimeToNode clusterTimeToNode;        // cluster -> time -> node
extern NodeToClusterTime nodeToClusterTime;        // node -> (cluster, time)
extern ClusterTimeToIdList clusterTimeToIdListObjects;  // cluster -> time -> documents
extern ClusterTimeToIdList clusterTimeToIdListFeatures; // cluster -> time -> terms
extern NodeToFileId nodeToFileId;                  // node -> ".t<time>.c<cluster>"
extern tlp::Graph* clusterFlowDiagram;             // null until a load succeeds
extern QString tagCloudStub;                       // tag cloud name from the command line
extern TagCache* tagCache;                         // the process's one tag cache

tlp::Graph* getClusterFlowGraph();
NodeToFileId& getNodeToFileId();
QString& getTagCloudStub();
TagCache* getTagCloudCache();
// Numbers of documents and terms of the cluster of n; 0 for a node that is not a cluster node.
unsigned int numObjects(tlp::node n);
unsigned int numFeatures(tlp::node n);

// ---- Loader ------------------------------------------------------------------
// Reads the seven positional arguments (eight in write mode, the last being the
// graph file to write), builds, styles and lays out the graph and publishes it.
// Returns 0 on success and 1 on any error, after a message on standard error.
int loadFiles(int argc, char** argv, bool writeToDisk);

// Told by loadFiles of each stage it starts, and of the headway within a long stage,
// in steps: kLoadProgressSteps per stage, `done` of `total` (the steps of all stages),
// and once more with done == total when the load has succeeded. Called on the
// loading thread; it may pump the event loop. Empty (the default): nobody is told.
// The texts on standard error stay the same either way.
using LoadProgress = std::function<void(const char* stage, int done, int total)>;
void setLoadProgress(LoadProgress progress);
constexpr int kLoadProgressSteps = 100;
// For the long stages' loops: `done` of `total` parts of the stage's share from
// `from` to `to` (fractions of the stage, set by setStageShare; the whole stage when
// it starts). Tells the hook only when the bar moves a step; cheap when nobody
// listens.
void reportStageProgress(std::size_t done, std::size_t total);
void setStageShare(double from, double to);

// Appends the non-empty pieces of str between any of the characters of delim.
void stringSplit(std::string str, std::string delim, std::vector<std::string>& results);
std::string toString(int number);

// ---- Graph pipeline ------------------------------------------------------------
// How a station of a later time step that no series reaches from the step before is
// held in its time step's column: by a lead-in chain of dummy nodes, one per earlier
// time step, since the layering puts a node one level after its latest predecessor.
//   perSeries        one chain for every series that starts late, into its first
//                    station, whether that station has a predecessor or not
//   perFirstStation  one chain for each such station (the default): a few more dummy
//                    nodes than the shared chains below, but no chain gathers the
//                    stations of a column around one node, so far fewer crossings
//   perTimeStep      one chain per time step, shared by its stations
//   sharedAxis       one chain along all time steps, shared by every station
// The choice changes nothing but the positions of the finished map.
enum class LeadIns { perSeries, perFirstStation, perTimeStep, sharedAxis };

// Builds nodes and edges of an empty graph from series of (time, cluster) pairs
// sorted by time. Prints one progress dot per series.
void timelineToGraph(tlp::Graph* splitMergeGraph,
                     std::vector<std::vector<std::pair<int, int>>>& timeClusterList,
                     LeadIns leadIns = LeadIns::perFirstStation);

// Adds the progress dot of one more series to `dots`, and writes them to standard
// error in blocks: a write per dot cost a system call each.
void addSeriesDot(std::string& dots);

// Leaves one edge of every bundle of parallel edges.
void deleteMultiEdges(tlp::Graph* splitMergeGraph);
// Marks in "Is Major Station" every node that does not have exactly one
// non-dummy predecessor and one non-dummy successor: the ends, splits and merges
// of lines and the nodes next to a time gap.
void findMajorStations(tlp::Graph* splitMergeGraph);
// Gives every node and edge its glyph, size, colours and border, and every cluster
// node with features its file id and, from the tag cache, its label. Needs the
// major stations and the feature lists.
void clusterProperties(tlp::Graph* splitMergeGraph);
// The two halves of clusterProperties, for a caller whose graph is not the one that
// the stations were found in. The cluster nodes with features, in the order they
// are styled, with their file ids and top tags: read from the tag cache for every
// node of clusterTimeToNode that `isStation` accepts.
struct StationLabels {
  std::vector<tlp::node> stations;
  QStringList fileIds;
  QStringList topTags;
};
StationLabels readStationLabels(const std::function<bool(tlp::node)>& isStation);
// Styles the graph and the stations of `labels` as clusterProperties does; a major
// station `insideLine` puts its label below, and the out-edges of a styled station
// that are tracks (`isTrack`) are drawn grey.
void styleStations(tlp::Graph* splitMergeGraph, const StationLabels& labels,
                   const std::function<bool(tlp::node)>& insideLine,
                   const std::function<bool(tlp::edge)>& isTrack);
// The size that styleStations gives a node: hidden unless styled, larger if major.
tlp::Size styledSize(bool styled, bool major);
// Removes every dummy chain; a chain between two cluster nodes becomes one faint
// "vanish" edge between them.
void deleteDummyAndReconnect(tlp::Graph* splitMergeGraph);
void deletePathAndRecon(tlp::Graph* splitMergeGraph, tlp::node dummyNode);

// Lays the graph out from left to right with "Hierarchical Graph" into "viewLayout",
// replaces the dummy chains by vanish edges and gives every edge two metro-map bends.
// If the layout fails, says so on standard error and leaves the graph as it was.
void subwayLayout(tlp::Graph* splitMergeGraph);
// Lays the columns of a laid-out map out again along y: each keeps its order, its
// stations stay at least `spacing` apart, the map is at most twice as tall as its
// biggest column needs, and lines are straightened. x is left alone.
void compactColumns(tlp::Graph* graph, tlp::LayoutProperty* layout, float spacing);
// The two bends of an edge from source to target on the metro map: the edge leaves
// and arrives at a shallow slope and takes two thirds of its vertical change in the
// middle third of its run. z is flattened to 0.
std::vector<tlp::Coord> metroBends(tlp::Coord source, tlp::Coord target);
// Gives every edge of the laid-out graph its two metro-map bends in `layout`.
void bendEdges(tlp::Graph* graph, tlp::LayoutProperty* layout);
// The spacings of the metro map, along a column and between columns.
constexpr float kMapNodeSpacing = 1.5f;
constexpr float kMapLayerSpacing = 2.5f;

#endif
