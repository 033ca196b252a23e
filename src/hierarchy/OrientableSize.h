#ifndef TEXTFERRO_ORIENTABLESIZE_H
#define TEXTFERRO_ORIENTABLESIZE_H

// A node size that holds the stored width, height and depth and reads and writes
// them in the oriented frame of its father proxy (w and h exchanged on rotation).

#include <tulip/Size.h>

class OrientableSizeProxy;

class OrientableSize : public tlp::Size {
public:
  // Oriented values w, h, d.
  OrientableSize(OrientableSizeProxy* father, const float width = 0, const float height = 0,
                 const float depth = 0);
  // Raw copy of the stored size.
  OrientableSize(OrientableSizeProxy* father, const tlp::Size& size);

  void set(const float width = 0, const float height = 0, const float depth = 0);
  void set(const tlp::Size& size);

  void setW(const float width);
  void setH(const float height);
  void setD(const float depth);
  float getW() const;
  float getH() const;
  float getD() const;

  void get(float* width, float* height, float* depth) const;

protected:
  OrientableSizeProxy* father;
};

#endif
