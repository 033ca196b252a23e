#ifndef TEXTFERRO_FLATMAPDRAWING_H
#define TEXTFERRO_FLATMAPDRAWING_H

// Draws a large map in a few steps, in place of the graph library's graph entity:
// lines as straight segments through their bends, stations as discs with a rim,
// labels where they can be read. The library keeps scene objects per station and
// line and walks all of them every frame (boxes, level of detail, one draw call
// per element): seconds per frame on a map of 100,000 stations. Here the layout
// is read once into flat arrays, and colours and selection are read again as they
// change. Lines of a pixel are set into an image of the view on the CPU and the
// image drawn at once: the software renderer takes about a microsecond per line
// segment, and a map of 100,000 stations has millions. Wider lines (when zoomed
// in, and selected lines) go through OpenGL, only those in view. It also tells
// which station or line lies under a point, from a grid over the arrays, since
// the library's picking needs the library's drawing.
//
// The graph and its properties are those of the graph entity given. When the
// entity or one of the observed properties is deleted, the drawing draws and
// finds nothing. The layout and the sizes are read once: the map does not move
// while it is shown.

#include <tulip/Coord.h>
#include <tulip/Edge.h>
#include <tulip/GlSimpleEntity.h>
#include <tulip/Node.h>
#include <tulip/Observable.h>

#include <cstdint>
#include <vector>

namespace tlp {
class GlGraphComposite;
class GlGraphInputData;
class GlLabel;
struct OcclusionTest;
} // namespace tlp
struct MapProjection;

class FlatMapDrawing : public tlp::GlSimpleEntity, public tlp::Observable {
public:
  explicit FlatMapDrawing(tlp::GlGraphComposite* composite);
  ~FlatMapDrawing() override;

  void draw(float lod, tlp::Camera* camera) override;
  void getXML(std::string&) override {}
  void setWithXML(const std::string&, unsigned int&) override {}

  // The station within `pixels` of the map point `at` whose disc is nearest, else
  // the line passing nearest within `pixels`; `unitsPerPixel` is the current
  // scale. False when there is none (or when stations or lines are not asked for).
  bool pick(const tlp::Coord& at, float unitsPerPixel, float pixels, bool stations, bool lines,
            tlp::node& station, tlp::edge& line) const;

protected:
  // Colour or selection changes: read the changed elements again at the next drawing.
  void treatEvent(const tlp::Event& event) override;

private:
  struct Station {
    tlp::node n;
    // Its place, half its larger side and its smaller side, in map units.
    float x, y, radius, side;
  };
  void readLayout();
  void readStations();
  void readLines();
  void buildGrid();
  void observe(tlp::GlGraphComposite* composite);
  void readColours();
  void readStationColours(unsigned i);
  void readLineColour(unsigned i);
  void drawThinLines(const MapProjection& screen, float pixelsPerUnit);
  void setThinLines(const MapProjection& screen, std::size_t count, int firstRow, int endRow);
  void layImageOverView(int width, int height);
  void drawWideLines(const MapProjection& screen, float pixelsPerUnit);
  void drawStations(const MapProjection& screen, float pixelsPerUnit);
  void drawDiscs(std::size_t first, std::size_t count, float pixels, bool rims);
  void drawBigStations(const MapProjection& screen, std::size_t first, float pixelsPerUnit);
  void makeDiscTexture();
  void drawLabels(tlp::Camera* camera, const MapProjection& screen, float pixelsPerUnit);
  float smallestLabelledRadius(tlp::GlLabel& label, tlp::Camera* camera, float pixelsPerUnit);
  void drawLabel(tlp::GlLabel& label, const Station& s, const tlp::Coord& centre, bool selected,
                 tlp::OcclusionTest* occlusion, tlp::Camera* camera, float pixels);
  // Calls visit(cell) for every cell of the grid that the box from (x0, y0) to
  // (x1, y1) touches.
  template <typename Visit>
  void forCellsIn(float x0, float y0, float x1, float y1, Visit visit) const;
  int cellOf(float x, float y) const;

  tlp::GlGraphInputData* input;
  // Stations by growing radius, so that those drawn at one size are a range.
  std::vector<Station> stations;
  std::vector<float> stationPoints;
  std::vector<std::uint8_t> fillColours, rimColours;
  std::vector<bool> stationSelected;
  // Lines with their widths in map units (an eighth of their ends' stations, as the
  // library draws lines with interpolated sizes); two points per segment, each
  // line's segments from lineStart[i] to lineStart[i + 1].
  std::vector<tlp::edge> lines;
  std::vector<float> lineWidths;
  std::vector<float> segmentPoints;
  std::vector<unsigned> lineStart;
  std::vector<std::uint32_t> lineColours;
  std::vector<bool> lineSelected;
  // From element ids to the places above, and the elements changed since the last drawing.
  std::vector<unsigned> stationIndex, lineIndex;
  std::vector<unsigned> changedStations, changedLines;
  bool coloursStale = true;
  // The view's picture of the thin lines, a pixel per entry.
  std::vector<std::uint32_t> lineImage;
  // In the contexts of the program's views, which share their objects.
  unsigned discTexture = 0, lineTexture = 0;
  // The grid: cells of `cellSide` units from `gridOrigin`, each listing stations
  // (as index) and segments (as -1 - index) from cellStart[c] to cellStart[c + 1].
  tlp::Coord gridOrigin;
  float cellSide = 1;
  int columns = 1, rows = 1;
  std::vector<unsigned> cellStart;
  std::vector<int> cellItems;
};

#endif
