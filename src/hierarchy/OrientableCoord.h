#ifndef TEXTFERRO_ORIENTABLECOORD_H
#define TEXTFERRO_ORIENTABLECOORD_H

// A position that holds stored (drawing) coordinates and reads and writes them in
// the oriented frame of its father layout, looked up on every call.

#include <tulip/Coord.h>

class OrientableLayout;

class OrientableCoord : public tlp::Coord {
public:
  // Oriented values x, y, z.
  OrientableCoord(OrientableLayout* father, float x = 0, float y = 0, float z = 0);
  // Raw copy of the stored coordinates of c.
  OrientableCoord(OrientableLayout* father, const tlp::Coord& c);

  void set(float x, float y, float z);
  void set(const tlp::Coord& c);

  void setX(float x);
  void setY(float y);
  void setZ(float z);
  float getX() const;
  float getY() const;
  float getZ() const;

  void setInvertedX(float x);
  void setInvertedY(float y);
  void setInvertedZ(float z);
  float getInvertedX() const;
  float getInvertedY() const;
  float getInvertedZ() const;

protected:
  OrientableLayout* father;
};

#endif
