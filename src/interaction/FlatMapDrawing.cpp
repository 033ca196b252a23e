#include "interaction/FlatMapDrawing.h"

#include "interaction/MapProjection.h"

#include <tulip/BooleanProperty.h>
#include <tulip/Camera.h>
#include <tulip/ColorProperty.h>
#include <tulip/DoubleProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlGraphInputData.h>
#include <tulip/GlGraphRenderingParameters.h>
#include <tulip/GlLabel.h>
#include <tulip/Glyph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/LayoutProperty.h>
#include <tulip/OcclusionTest.h>
#include <tulip/OpenGlIncludes.h>
#include <tulip/PropertyInterface.h>
#include <tulip/SizeProperty.h>
#include <tulip/StringProperty.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>

namespace {

// The library draws a station below about 3 pixels across as a point of whole
// pixels, leaves out those under a pixel (as the pictures of maps of 10,000 and
// 46,000 stations show), and gives a station its rim from about 4.5 pixels on.
constexpr float kPointStationPixels = 3.2f;
constexpr float kLeastStationPixels = 1.f;
constexpr float kRimPixels = 4.5f;
// The rim's line width in pixels: the map's stations have rims of at most 2 or 3.
constexpr float kRimLine = 2;
// Sides of the discs of stations larger than points can be.
constexpr int kDiscSegments = 32;
// The grid aims at this many stations per cell.
constexpr float kStationsPerCell = 4;
// Lines under this width in pixels are a pixel wide; the library draws selected
// lines this many pixels wider than the others.
constexpr float kThinLinePixels = 1.5f;
constexpr float kSelectedLineWiderBy = 2;
constexpr float kThinLineBand = 1.5f;
// Threads setting the thin lines: the view's own and one more.
constexpr unsigned kMostLineThreads = 2;
constexpr unsigned kNone = std::numeric_limits<unsigned>::max();

std::uint32_t packed(const tlp::Color& c) {
  return std::uint32_t(c[0]) | std::uint32_t(c[1]) << 8 | std::uint32_t(c[2]) << 16 |
         std::uint32_t(c[3]) << 24;
}

std::uint32_t premultipliedColour(std::uint32_t colour) {
  const std::uint32_t alpha = colour >> 24;
  std::uint32_t result = alpha << 24;
  for (int shift = 0; shift < 24; shift += 8)
    result |= (((colour >> shift) & 255) * alpha + 127) / 255 << shift;
  return result;
}

void putColour(std::vector<std::uint8_t>& to, std::size_t at, const tlp::Color& colour) {
  for (int i = 0; i < 4; ++i)
    to[4 * at + i] = colour[i];
}

// Whether the segment from (s[0], s[1]) to (s[2], s[3]) may show in the view
// widened by `margin` pixels.
bool segmentInView(const MapProjection& screen, const float* s, float margin) {
  const float x0 = screen.x(s[0], s[1]), y0 = screen.y(s[0], s[1]);
  const float x1 = screen.x(s[2], s[3]), y1 = screen.y(s[2], s[3]);
  return std::max(x0, x1) >= -margin && std::min(x0, x1) <= screen.viewport[2] + margin &&
         std::max(y0, y1) >= -margin && std::min(y0, y1) <= screen.viewport[3] + margin;
}

float squaredDistanceToSegment(float px, float py, const float* s) {
  const float dx = s[2] - s[0], dy = s[3] - s[1];
  const float length = dx * dx + dy * dy;
  float t = length > 0 ? ((px - s[0]) * dx + (py - s[1]) * dy) / length : 0;
  t = std::clamp(t, 0.f, 1.f);
  const float ex = s[0] + t * dx - px, ey = s[1] + t * dy - py;
  return ex * ex + ey * ey;
}

// The first index in [first, last) of values sorted by key whose key is at least v.
template <typename Iterator, typename Key>
std::size_t firstAtLeast(Iterator first, Iterator last, float v, Key key) {
  return std::partition_point(first, last, [&](const auto& item) { return key(item) < v; }) - first;
}

// Cuts the segment's parameter range [t0, t1] to where p + t d lies in [0, limit).
bool clipAxis(float p, float d, float limit, float& t0, float& t1) {
  if (d == 0)
    return p >= 0 && p < limit;
  float a = (0 - p) / d, b = (limit - 1e-3f - p) / d;
  if (a > b)
    std::swap(a, b);
  t0 = std::max(t0, a);
  t1 = std::min(t1, b);
  return t0 <= t1;
}

// The four 8-bit components of a pixel times share / 256, two at a time.
std::uint32_t scaled(std::uint32_t colour, std::uint32_t share) {
  const std::uint32_t redBlue = ((colour & 0x00FF00FFu) * share >> 8) & 0x00FF00FFu;
  const std::uint32_t greenAlpha = (((colour >> 8) & 0x00FF00FFu) * share >> 8) & 0x00FF00FFu;
  return redBlue | greenAlpha << 8;
}

// Lays a colour with its alpha over a pixel, both with their components
// multiplied by their alpha (so that the image is laid over the view at once).
void blendOver(std::uint32_t& pixel, std::uint32_t colour) {
  pixel = colour + scaled(pixel, 256 - (colour >> 24));
}

// Lays a colour (premultiplied) over the pixels a thin segment passes through,
// inside the image, with smooth edges: at each pixel along its longer axis, the
// pixels across it share the colour as they share a band of kThinLineBand pixels
// about the segment's centre. The band is wider than a pixel: the library's
// smoothed lines of a pixel lay about that much colour (compared on the pictures
// of maps of 10,000 stations, whose lines are translucent).
// Only the rows from `firstRow` to `endRow` are written (the band of one thread);
// the pixels set there do not depend on the band.
void setSegment(std::uint32_t* image, int width, int height, int firstRow, int endRow, float x0,
                float y0, float x1, float y1, std::uint32_t colour) {
  if (std::max(y0, y1) < firstRow - 1 || std::min(y0, y1) > endRow + 1)
    return;
  float t0 = 0, t1 = 1;
  if (!clipAxis(x0, x1 - x0, float(width), t0, t1) || !clipAxis(y0, y1 - y0, float(height), t0, t1))
    return;
  const float dx = x1 - x0, dy = y1 - y0;
  const bool steep = std::fabs(dy) > std::fabs(dx);
  float major0 = steep ? y0 + dy * t0 : x0 + dx * t0, major1 = steep ? y0 + dy * t1 : x0 + dx * t1;
  float minor0 = steep ? x0 + dx * t0 : y0 + dy * t0, minor1 = steep ? x0 + dx * t1 : y0 + dy * t1;
  if (major0 > major1) {
    std::swap(major0, major1);
    std::swap(minor0, minor1);
  }
  const float slope = major1 > major0 ? (minor1 - minor0) / (major1 - major0) : 0;
  auto lay = [&](int m, int n, float share) {
    const int column = steep ? n : m, row = steep ? m : n;
    if (column < 0 || column >= width || row < firstRow || row >= endRow || share <= 0)
      return;
    std::uint32_t& pixel = steep ? image[std::size_t(m) * width + n] : image[std::size_t(n) * width + m];
    blendOver(pixel, scaled(colour, std::uint32_t(share * 256)));
  };
  const int firstM = steep ? std::max(int(major0), firstRow) : int(major0);
  const int lastM = steep ? std::min(int(major1), endRow - 1) : int(major1);
  for (int m = firstM; m <= lastM; ++m) {
    const float centre = std::clamp(m + 0.5f, major0, major1);
    const float minor = minor0 + slope * (centre - major0);
    // The share of each pixel across under a band of the line's width there.
    const float low = minor - kThinLineBand / 2, high = minor + kThinLineBand / 2;
    for (int n = int(std::floor(low)); n <= int(std::floor(high)); ++n)
      lay(m, n, std::min(high, n + 1.f) - std::max(low, float(n)));
  }
}

// A box of the given size placed as a label is placed about a station of that
// radius (in pixels) at (x, y) for the library's label positions (centre, top,
// bottom, left, right), a pixel smaller all round.
tlp::RectangleInt2D smallestLabelBox(int position, float x, float y, float radius, int width,
                                     int height) {
  float centreX = x, centreY = y;
  switch (position) {
  case 1:
    centreY += radius + height / 2.f;
    break;
  case 2:
    centreY -= radius + height / 2.f;
    break;
  case 3:
    centreX -= radius + width / 2.f;
    break;
  case 4:
    centreX += radius + width / 2.f;
    break;
  default:
    break;
  }
  const float halfWidth = std::max(0.f, width / 2.f - 1), halfHeight = std::max(0.f, height / 2.f - 1);
  return tlp::RectangleInt2D(int(centreX - halfWidth), int(centreY - halfHeight),
                             int(centreX + halfWidth), int(centreY + halfHeight));
}

} // namespace

FlatMapDrawing::FlatMapDrawing(tlp::GlGraphComposite* composite) : input(composite->getInputData()) {
  readLayout();
  buildGrid();
  observe(composite);
}

// The library unlinks a deleted listener from what it observed. The textures stay
// with the shared contexts: there is no current context here to free them in.
FlatMapDrawing::~FlatMapDrawing() = default;

void FlatMapDrawing::observe(tlp::GlGraphComposite* composite) {
  composite->addListener(this);
  input->getElementColor()->addListener(this);
  input->getElementBorderColor()->addListener(this);
  input->getElementSelected()->addListener(this);
}

void FlatMapDrawing::treatEvent(const tlp::Event& event) {
  // The graph entity or a property went, and the input data with them (perhaps
  // already): nothing is left to draw or to ask.
  if (event.type() == tlp::Event::TLP_DELETE) {
    input = nullptr;
    return;
  }
  const auto* change = dynamic_cast<const tlp::PropertyEvent*>(&event);
  if (change == nullptr)
    return;
  switch (change->getType()) {
  case tlp::PropertyEvent::TLP_AFTER_SET_NODE_VALUE:
    changedStations.push_back(change->getNode().id);
    break;
  case tlp::PropertyEvent::TLP_AFTER_SET_EDGE_VALUE:
    changedLines.push_back(change->getEdge().id);
    break;
  case tlp::PropertyEvent::TLP_AFTER_SET_ALL_NODE_VALUE:
  case tlp::PropertyEvent::TLP_AFTER_SET_ALL_EDGE_VALUE:
    coloursStale = true;
    break;
  default:
    break;
  }
}

void FlatMapDrawing::readLayout() {
  readStations();
  readLines();
}

void FlatMapDrawing::readStations() {
  tlp::LayoutProperty* layout = input->getElementLayout();
  tlp::SizeProperty* sizes = input->getElementSize();
  for (const tlp::node n : input->getGraph()->nodes()) {
    const tlp::Coord& at = layout->getNodeValue(n);
    const tlp::Size& size = sizes->getNodeValue(n);
    stations.push_back({n, at[0], at[1], std::max(size[0], size[1]) / 2, std::min(size[0], size[1])});
  }
  std::stable_sort(stations.begin(), stations.end(),
                   [](const Station& a, const Station& b) { return a.radius < b.radius; });
  for (unsigned i = 0; i < stations.size(); ++i) {
    stationPoints.insert(stationPoints.end(), {stations[i].x, stations[i].y, 0});
    if (stations[i].n.id >= stationIndex.size())
      stationIndex.resize(stations[i].n.id + 1, kNone);
    stationIndex[stations[i].n.id] = i;
  }
}

void FlatMapDrawing::readLines() {
  // The ends come from the stations read, not from the properties again: on a
  // map whose ids have gaps every property value is a hash lookup.
  tlp::Graph* graph = input->getGraph();
  auto endsOf = [&](tlp::edge e) {
    const auto& ends = graph->ends(e);
    return std::make_pair(&stations[stationIndex[ends.first.id]], &stations[stationIndex[ends.second.id]]);
  };
  std::vector<std::pair<float, tlp::edge>> byWidth;
  byWidth.reserve(graph->numberOfEdges());
  for (const tlp::edge e : graph->edges()) {
    const auto [from, to] = endsOf(e);
    byWidth.emplace_back((from->side + to->side) / 16, e);
  }
  std::stable_sort(byWidth.begin(), byWidth.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  tlp::LayoutProperty* layout = input->getElementLayout();
  lineStart.assign(1, 0);
  for (const auto& [width, e] : byWidth) {
    if (e.id >= lineIndex.size())
      lineIndex.resize(e.id + 1, kNone);
    lineIndex[e.id] = unsigned(lines.size());
    lines.push_back(e);
    lineWidths.push_back(width);
    const auto [source, target] = endsOf(e);
    float x = source->x, y = source->y;
    auto addTo = [&](float toX, float toY) {
      segmentPoints.insert(segmentPoints.end(), {x, y, toX, toY});
      x = toX;
      y = toY;
    };
    for (const tlp::Coord& bend : layout->getEdgeValue(e))
      addTo(bend[0], bend[1]);
    addTo(target->x, target->y);
    lineStart.push_back(unsigned(segmentPoints.size() / 4));
  }
}

int FlatMapDrawing::cellOf(float x, float y) const {
  const int column = std::clamp(int((x - gridOrigin[0]) / cellSide), 0, columns - 1);
  const int row = std::clamp(int((y - gridOrigin[1]) / cellSide), 0, rows - 1);
  return row * columns + column;
}

template <typename Visit>
void FlatMapDrawing::forCellsIn(float x0, float y0, float x1, float y1, Visit visit) const {
  const int c0 = cellOf(x0, y0), c1 = cellOf(x1, y1);
  for (int row = c0 / columns; row <= c1 / columns; ++row)
    for (int column = c0 % columns; column <= c1 % columns; ++column)
      visit(row * columns + column);
}

void FlatMapDrawing::buildGrid() {
  tlp::Coord low(std::numeric_limits<float>::max(), std::numeric_limits<float>::max(), 0);
  tlp::Coord high = -low;
  for (std::size_t i = 0; i < segmentPoints.size(); i += 2) {
    low = tlp::Coord(std::min(low[0], segmentPoints[i]), std::min(low[1], segmentPoints[i + 1]), 0);
    high = tlp::Coord(std::max(high[0], segmentPoints[i]), std::max(high[1], segmentPoints[i + 1]), 0);
  }
  for (const Station& s : stations) {
    low = tlp::Coord(std::min(low[0], s.x), std::min(low[1], s.y), 0);
    high = tlp::Coord(std::max(high[0], s.x), std::max(high[1], s.y), 0);
  }
  if (stations.empty())
    low = high = tlp::Coord(0, 0, 0);
  const float area = std::max(1e-6f, (high[0] - low[0]) * (high[1] - low[1]));
  const float wanted = std::max(1.f, stations.size() / kStationsPerCell);
  cellSide = std::max(std::sqrt(area / wanted), 1e-3f * std::max(high[0] - low[0], high[1] - low[1]));
  cellSide = std::max(cellSide, 1e-6f);
  gridOrigin = low;
  columns = std::clamp(int((high[0] - low[0]) / cellSide) + 1, 1, 4096);
  rows = std::clamp(int((high[1] - low[1]) / cellSide) + 1, 1, 4096);
  boundingBox = tlp::BoundingBox();
  boundingBox.expand(low);
  boundingBox.expand(high);

  // Each item goes to every cell its box touches (a station's with its disc).
  std::vector<std::pair<int, int>> entries;
  auto addBox = [&](int item, float x0, float y0, float x1, float y1) {
    forCellsIn(x0, y0, x1, y1, [&](int cell) { entries.emplace_back(cell, item); });
  };
  for (std::size_t i = 0; i < stations.size(); ++i) {
    const Station& s = stations[i];
    addBox(int(i), s.x - s.radius, s.y - s.radius, s.x + s.radius, s.y + s.radius);
  }
  for (std::size_t k = 0; k < segmentPoints.size() / 4; ++k) {
    const float* p = &segmentPoints[4 * k];
    addBox(-1 - int(k), std::min(p[0], p[2]), std::min(p[1], p[3]), std::max(p[0], p[2]),
           std::max(p[1], p[3]));
  }
  cellStart.assign(std::size_t(columns) * rows + 1, 0);
  for (const auto& entry : entries)
    ++cellStart[entry.first + 1];
  for (std::size_t c = 1; c < cellStart.size(); ++c)
    cellStart[c] += cellStart[c - 1];
  cellItems.resize(entries.size());
  std::vector<unsigned> next(cellStart.begin(), cellStart.end() - 1);
  for (const auto& entry : entries)
    cellItems[next[entry.first]++] = entry.second;
}

void FlatMapDrawing::readColours() {
  const bool all = coloursStale || changedStations.size() > stations.size() / 4 ||
                   changedLines.size() > lines.size() / 4;
  fillColours.resize(4 * stations.size());
  rimColours.resize(4 * stations.size());
  stationSelected.resize(stations.size());
  lineColours.resize(lines.size());
  lineSelected.resize(lines.size());
  if (all) {
    for (unsigned i = 0; i < stations.size(); ++i)
      readStationColours(i);
    for (unsigned i = 0; i < lines.size(); ++i)
      readLineColour(i);
  } else {
    for (const unsigned id : changedStations)
      if (id < stationIndex.size() && stationIndex[id] != kNone)
        readStationColours(stationIndex[id]);
    for (const unsigned id : changedLines)
      if (id < lineIndex.size() && lineIndex[id] != kNone)
        readLineColour(lineIndex[id]);
  }
  coloursStale = false;
  changedStations.clear();
  changedLines.clear();
}

void FlatMapDrawing::readStationColours(unsigned i) {
  const tlp::node n = stations[i].n;
  const bool selected = input->getElementSelected()->getNodeValue(n);
  const tlp::Color selectionColour = input->parameters->getSelectionColor();
  stationSelected[i] = selected;
  putColour(fillColours, i, selected ? selectionColour : input->getElementColor()->getNodeValue(n));
  putColour(rimColours, i, selected ? selectionColour : input->getElementBorderColor()->getNodeValue(n));
}

void FlatMapDrawing::readLineColour(unsigned i) {
  const bool selected = input->getElementSelected()->getEdgeValue(lines[i]);
  lineSelected[i] = selected;
  lineColours[i] = packed(selected ? input->parameters->getSelectionColor()
                                   : input->getElementColor()->getEdgeValue(lines[i]));
}

void FlatMapDrawing::draw(float, tlp::Camera* camera) {
  if (input == nullptr)
    return;
  if (coloursStale || !changedStations.empty() || !changedLines.empty())
    readColours();
  const MapProjection screen(*camera);
  const float scale = screen.pixelsPerUnit();
  if (!(scale > 0))
    return;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glActiveTexture(GL_TEXTURE0);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_STENCIL_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  drawThinLines(screen, scale);
  drawWideLines(screen, scale);
  drawStations(screen, scale);
  drawLabels(camera, screen, scale);
  glPopAttrib();
}

void FlatMapDrawing::drawThinLines(const MapProjection& screen, float scale) {
  const int width = screen.viewport[2], height = screen.viewport[3];
  if (width <= 0 || height <= 0)
    return;
  lineImage.assign(std::size_t(width) * height, 0);
  // Lines are sorted by width: the thin ones come first.
  std::size_t thin = 0;
  while (thin < lines.size() && lineWidths[thin] * scale < kThinLinePixels)
    ++thin;
  // Each thread sets the pixels of its own band of rows, laying the lines in the
  // same order as one thread would: the picture is the same.
  const int threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, kMostLineThreads));
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads; ++t)
    helpers.emplace_back([&, t] { setThinLines(screen, thin, height * t / threads, height * (t + 1) / threads); });
  setThinLines(screen, thin, 0, height / threads);
  for (std::thread& helper : helpers)
    helper.join();
  layImageOverView(width, height);
}

void FlatMapDrawing::setThinLines(const MapProjection& screen, std::size_t count, int firstRow, int endRow) {
  const int width = screen.viewport[2], height = screen.viewport[3];
  for (std::size_t i = 0; i < count; ++i) {
    if (lineSelected[i])
      continue;
    const std::uint32_t premultiplied = premultipliedColour(lineColours[i]);
    for (unsigned k = lineStart[i]; k < lineStart[i + 1]; ++k) {
      const float* s = &segmentPoints[4 * k];
      setSegment(lineImage.data(), width, height, firstRow, endRow, screen.x(s[0], s[1]),
                 screen.y(s[0], s[1]), screen.x(s[2], s[3]), screen.y(s[2], s[3]), premultiplied);
    }
  }
}

void FlatMapDrawing::layImageOverView(int width, int height) {
  if (lineTexture == 0)
    glGenTextures(1, &lineTexture);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, lineTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, lineImage.data());
  // The image covers the viewport pixel for pixel.
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, width, 0, height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(0, 0);
  glTexCoord2f(1, 0);
  glVertex2f(float(width), 0);
  glTexCoord2f(1, 1);
  glVertex2f(float(width), float(height));
  glTexCoord2f(0, 1);
  glVertex2f(0, float(height));
  glEnd();
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_TEXTURE_2D);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void FlatMapDrawing::drawWideLines(const MapProjection& screen, float scale) {
  // Wide lines first, selected lines over them, as the library puts them on top.
  if (input->parameters->isAntialiased())
    glEnable(GL_LINE_SMOOTH);
  for (const bool selectedPass : {false, true}) {
    float drawnWidth = -1;
    glBegin(GL_LINES);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const float pixels = lineWidths[i] * scale;
      if (lineSelected[i] != selectedPass || (!selectedPass && pixels < kThinLinePixels))
        continue;
      const float width = std::max(1.f, std::round(pixels)) + (selectedPass ? kSelectedLineWiderBy : 0);
      const std::uint8_t* c = reinterpret_cast<const std::uint8_t*>(&lineColours[i]);
      for (unsigned k = lineStart[i]; k < lineStart[i + 1]; ++k) {
        const float* s = &segmentPoints[4 * k];
        if (!segmentInView(screen, s, width))
          continue;
        if (width != drawnWidth) {
          glEnd();
          glLineWidth(width);
          drawnWidth = width;
          glBegin(GL_LINES);
        }
        glColor4ub(c[0], c[1], c[2], c[3]);
        glVertex3f(s[0], s[1], 0);
        glVertex3f(s[2], s[3], 0);
      }
    }
    glEnd();
  }
}

void FlatMapDrawing::drawStations(const MapProjection& screen, float scale) {
  glDisable(GL_POINT_SMOOTH);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, stationPoints.data());
  GLfloat sizeRange[2] = {1, 64};
  glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, sizeRange);
  auto radiusOf = [](const Station& s) { return s.radius; };
  std::size_t first = 0;
  while (first < stations.size()) {
    const float diameter = 2 * stations[first].radius * scale;
    const bool point = diameter < kPointStationPixels;
    // Points are the whole pixels that cover the station, as the library draws
    // the smallest stations.
    const float pixels = point ? std::max(1.f, std::ceil(diameter)) : std::round(diameter);
    if (pixels + kRimLine > sizeRange[1])
      break;
    const float upTo = point ? std::min(kPointStationPixels, diameter < kLeastStationPixels ? kLeastStationPixels : pixels)
                             : pixels + 0.5f;
    const std::size_t end =
        first + firstAtLeast(stations.begin() + first, stations.end(), upTo / 2 / scale, radiusOf);
    const std::size_t count = std::max(end, first + 1) - first;
    if (point) {
      // Stations drawn as points take the colour of their rim, as the library's
      // do; below a pixel it leaves them out.
      glPointSize(pixels);
      glColorPointer(4, GL_UNSIGNED_BYTE, 0, rimColours.data());
      if (diameter >= kLeastStationPixels)
        glDrawArrays(GL_POINTS, GLint(first), GLsizei(count));
    } else {
      drawDiscs(first, count, pixels, pixels >= kRimPixels);
    }
    first += count;
  }
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  drawBigStations(screen, first, scale);
}

void FlatMapDrawing::drawBigStations(const MapProjection& screen, std::size_t first, float scale) {
  // Stations wider than any point: few are in view when they are that large.
  for (; first < stations.size(); ++first) {
    const Station& s = stations[first];
    const float x = screen.x(s.x, s.y), y = screen.y(s.x, s.y), reach = s.radius * scale + kRimLine;
    if (x + reach < 0 || y + reach < 0 || x - reach > screen.viewport[2] || y - reach > screen.viewport[3])
      continue;
    for (int layer = 0; layer < 2; ++layer) {
      const std::uint8_t* c = (layer == 0 ? rimColours : fillColours).data() + 4 * first;
      const float r = s.radius + (layer == 0 ? 1 : -1) * kRimLine / 2 / scale;
      glColor4ub(c[0], c[1], c[2], c[3]);
      glBegin(GL_TRIANGLE_FAN);
      glVertex3f(s.x, s.y, 0);
      for (int k = 0; k <= kDiscSegments; ++k) {
        const float angle = 2 * float(M_PI) * k / kDiscSegments;
        glVertex3f(s.x + r * std::cos(angle), s.y + r * std::sin(angle), 0);
      }
      glEnd();
    }
  }
}

void FlatMapDrawing::drawDiscs(std::size_t first, std::size_t count, float pixels, bool rims) {
  // Points textured with a disc: one call draws any number of round stations.
  if (discTexture == 0)
    makeDiscTexture();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, discTexture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glEnable(GL_POINT_SPRITE);
  glTexEnvi(GL_POINT_SPRITE, GL_COORD_REPLACE, GL_TRUE);
  if (rims) {
    // The rim: a disc one line width wider under the station's own.
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, rimColours.data());
    glPointSize(pixels + kRimLine);
    glDrawArrays(GL_POINTS, GLint(first), GLsizei(count));
  }
  glPointSize(rims ? std::max(1.f, pixels - kRimLine) : pixels);
  glColorPointer(4, GL_UNSIGNED_BYTE, 0, fillColours.data());
  glDrawArrays(GL_POINTS, GLint(first), GLsizei(count));
  glDisable(GL_POINT_SPRITE);
  glDisable(GL_TEXTURE_2D);
}

void FlatMapDrawing::makeDiscTexture() {
  constexpr int kSide = 64;
  std::vector<std::uint8_t> pixels(4 * kSide * kSide, 255);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      // Alpha falls from 1 to 0 across the disc's edge pixel, for a smooth rim.
      const float out = std::hypot(x + 0.5f - kSide / 2.f, y + 0.5f - kSide / 2.f) - kSide / 2.f;
      pixels[4 * (y * kSide + x) + 3] = std::uint8_t(255 * std::clamp(0.5f - out, 0.f, 1.f));
    }
  glGenTextures(1, &discTexture);
  glBindTexture(GL_TEXTURE_2D, discTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kSide, kSide, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
}

void FlatMapDrawing::drawLabels(tlp::Camera* camera, const MapProjection& screen, float scale) {
  if (!input->parameters->isViewNodeLabel())
    return;
  // Labels go where no label is yet, selected stations first, then by falling
  // size (as the library orders them). Making a label costs more than drawing it,
  // and at a low zoom most are refused, so a station is passed over first when a
  // label as narrow and as low as the smallest drawn so far, in its place, would
  // overlap a drawn one: the map's labels are short names in one font, so this
  // leaves out few that would fit.
  const tlp::Vector<int, 4>& viewport = screen.viewport;
  tlp::OcclusionTest occlusion;
  tlp::GlLabel label;
  int smallestWidth = std::numeric_limits<int>::max() / 4, smallestHeight = smallestWidth;
  tlp::IntegerProperty* positions = input->getElementLabelPosition();
  const float smallestRadius = smallestLabelledRadius(label, camera, scale);
  for (const bool selectedPass : {true, false})
    for (std::size_t i = stations.size(); i-- > 0;) {
      const Station& s = stations[i];
      if (s.radius < smallestRadius)
        break;
      if (stationSelected[i] != selectedPass)
        continue;
      const float x = screen.x(s.x, s.y), y = screen.y(s.x, s.y);
      if (x < 0 || y < 0 || x > viewport[2] || y > viewport[3])
        continue;
      if (!occlusion.data.empty()) {
        const tlp::RectangleInt2D least =
            smallestLabelBox(positions->getNodeValue(s.n), x + viewport[0], y + viewport[1],
                             s.radius * scale, smallestWidth, smallestHeight);
        if (occlusion.testRectangle(least))
          continue;
      }
      const std::size_t before = occlusion.data.size();
      drawLabel(label, s, tlp::Coord(s.x, s.y, 0), selectedPass, &occlusion, camera, 2 * s.radius * scale);
      if (occlusion.data.size() == before)
        continue;
      const tlp::RectangleInt2D& box = occlusion.data.back();
      smallestWidth = std::min(smallestWidth, box[1][0] - box[0][0]);
      smallestHeight = std::min(smallestHeight, box[1][1] - box[0][1]);
    }
}

float FlatMapDrawing::smallestLabelledRadius(tlp::GlLabel& label, tlp::Camera* camera, float scale) {
  // The library leaves out the labels of stations too small on screen. Asking it
  // station by station costs seconds at a low zoom, so its answer is sought by
  // halving among the stations (sorted by size), with labels laid at the centre
  // of the view that draw nothing.
  glPushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glDepthMask(GL_FALSE);
  glStencilMask(0);
  auto labelled = [&](std::size_t i) {
    tlp::OcclusionTest alone;
    drawLabel(label, stations[i], camera->getCenter(), false, &alone, camera, 2 * stations[i].radius * scale);
    return !alone.data.empty();
  };
  std::size_t low = 0, high = stations.size();
  if (high == 0 || !labelled(high - 1)) {
    glPopAttrib();
    return std::numeric_limits<float>::infinity();
  }
  // labelled(high - 1) holds; find the first labelled station.
  --high;
  while (low < high) {
    const std::size_t middle = (low + high) / 2;
    if (labelled(middle))
      high = middle;
    else
      low = middle + 1;
  }
  glPopAttrib();
  return stations[low].radius;
}

void FlatMapDrawing::drawLabel(tlp::GlLabel& label, const Station& s, const tlp::Coord& centre,
                               bool selected, tlp::OcclusionTest* occlusion, tlp::Camera* camera,
                               float pixels) {
  const tlp::node n = s.n;
  const std::string& text = input->getElementLabel()->getNodeValue(n);
  int fontSize = input->getElementFontSize()->getNodeValue(n);
  if (text.empty() || fontSize == 0)
    return;
  const tlp::GlGraphRenderingParameters& parameters = *input->parameters;
  fontSize += selected ? 2 : 0;
  const tlp::Color colour = selected ? parameters.getSelectionColor() : input->getElementLabelColor()->getNodeValue(n);
  label.setFontNameSizeAndColor(input->getElementFont()->getNodeValue(n), fontSize, colour);
  label.setOutlineColor(input->getElementLabelBorderColor()->getNodeValue(n));
  label.setOutlineSize(float(input->getElementLabelBorderWidth()->getNodeValue(n)));
  label.setText(text);
  // Set as the library sets a station's label: within the glyph's text box.
  tlp::BoundingBox textBox;
  input->glyphs.get(input->getElementShape()->getNodeValue(n))->getTextBoundingBox(textBox, n);
  const tlp::Size size = input->getElementSize()->getNodeValue(n);
  const tlp::Coord textSize = textBox[1] - textBox[0];
  label.setTranslationAfterRotation(textBox.center() * size);
  label.setSize(tlp::Size(size[0] * textSize[0], size[1] * textSize[1], 0));
  label.setSizeForOutAlign(tlp::Size(size[0], size[1], 0));
  label.setAlignment(input->getElementLabelPosition()->getNodeValue(n));
  label.setScaleToSize(parameters.isLabelScaled());
  label.setUseLODOptimisation(true, tlp::BoundingBox(centre - size / 2.f, centre + size / 2.f));
  label.setLabelsDensity(parameters.getLabelsDensity());
  label.setUseMinMaxSize(!parameters.isLabelFixedFontSize());
  label.setMinSize(parameters.getMinSizeOfLabel());
  label.setMaxSize(parameters.getMaxSizeOfLabel());
  label.setOcclusionTester(occlusion);
  label.setBillboarded(parameters.getLabelsAreBillboarded());
  label.setPosition(centre);
  label.drawWithStencil(pixels * pixels, camera);
}

bool FlatMapDrawing::pick(const tlp::Coord& at, float unitsPerPixel, float pixels, bool pickStations,
                          bool pickLines, tlp::node& station, tlp::edge& line) const {
  if (input == nullptr || cellStart.empty())
    return false;
  const float reach = pixels * unitsPerPixel;
  const float maxRadius = stations.empty() ? 0 : stations.back().radius;
  float bestStation = std::numeric_limits<float>::max(), bestLine = bestStation;
  const float around = reach + maxRadius;
  forCellsIn(at[0] - around, at[1] - around, at[0] + around, at[1] + around, [&](int cell) {
    for (unsigned k = cellStart[cell]; k < cellStart[cell + 1]; ++k) {
      const int item = cellItems[k];
      if (item >= 0 && pickStations) {
        const Station& s = stations[item];
        const float gap = std::hypot(s.x - at[0], s.y - at[1]) - s.radius;
        if (gap <= reach && gap < bestStation) {
          bestStation = gap;
          station = s.n;
        }
      } else if (item < 0 && pickLines) {
        const unsigned segment = unsigned(-1 - item);
        const float d = squaredDistanceToSegment(at[0], at[1], &segmentPoints[4 * segment]);
        if (d <= reach * reach && d < bestLine) {
          bestLine = d;
          line = lines[std::upper_bound(lineStart.begin(), lineStart.end(), segment) - lineStart.begin() - 1];
        }
      }
    }
  });
  if (bestStation < std::numeric_limits<float>::max()) {
    line = tlp::edge();
    return true;
  }
  station = tlp::node();
  return bestLine < std::numeric_limits<float>::max();
}
