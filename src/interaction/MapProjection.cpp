#include "interaction/MapProjection.h"

#include <tulip/Camera.h>

MapProjection::MapProjection(const tlp::Camera& camera)
    : viewport(camera.getViewport()), centre(camera.getCenter()),
      centreAt(camera.worldTo2DViewport(centre)) {
  alongX = camera.worldTo2DViewport(centre + tlp::Coord(1, 0, 0)) - centreAt;
  alongY = camera.worldTo2DViewport(centre + tlp::Coord(0, 1, 0)) - centreAt;
  origin = centreAt;
  origin -= alongX * centre[0] + alongY * centre[1];
  origin -= tlp::Coord(float(viewport[0]), float(viewport[1]), 0);
}

tlp::Coord MapProjection::mapPoint(double px, double py) const {
  const double dx = px - centreAt[0];
  const double dy = py - centreAt[1];
  const double determinant = double(alongX[0]) * alongY[1] - double(alongX[1]) * alongY[0];
  if (determinant == 0)
    return centre;
  return centre + tlp::Coord(float((dx * alongY[1] - dy * alongY[0]) / determinant),
                             float((alongX[0] * dy - alongX[1] * dx) / determinant), 0);
}
