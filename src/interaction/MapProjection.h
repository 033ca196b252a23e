#ifndef TEXTFERRO_MAPPROJECTION_H
#define TEXTFERRO_MAPPROJECTION_H

// The camera's projection of the map plane onto the view. The map's camera looks
// straight at the plane, so the projection is affine: one product per point
// instead of the library's matrices, and an exact inverse. The library's own
// inverse, Camera::viewportTo3DWorld, mirrors its result about the centre in
// Tulip 5.4. Taken from the camera as it is when made; the view's OpenGL context
// must be current.

#include <tulip/Coord.h>
#include <tulip/Vector.h>

namespace tlp {
class Camera;
}

struct MapProjection {
  explicit MapProjection(const tlp::Camera& camera);

  // Pixels from the viewport's lower left corner of the map point (mapX, mapY).
  float x(float mapX, float mapY) const { return origin[0] + alongX[0] * mapX + alongY[0] * mapY; }
  float y(float mapX, float mapY) const { return origin[1] + alongX[1] * mapX + alongY[1] * mapY; }
  // Pixels per map unit: the camera's zoom.
  float pixelsPerUnit() const { return alongX.norm(); }
  // The map point shown at the window pixel (px, py), counted from the window's
  // lower left corner; the camera's centre when nothing can be told.
  tlp::Coord mapPoint(double px, double py) const;

  tlp::Vector<int, 4> viewport;
  tlp::Coord centre;
  tlp::Coord centreAt; // the centre's window pixel
  tlp::Coord alongX, alongY; // pixels per map unit along x and along y
  tlp::Coord origin;         // the pixel of the map's (0, 0) within the viewport
};

#endif
