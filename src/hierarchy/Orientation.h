#ifndef TEXTFERRO_ORIENTATION_H
#define TEXTFERRO_ORIENTATION_H

// Orientation masks of the layout algorithms: how a layout computed with layers
// growing along y is stored in one of the four drawing orientations.

namespace tlp {
class DataSet;
}

// Bit flags; a mask is any combination. With no flag, x and y are both stored
// negated: the two inversion flags switch that off, ORI_INVERSION_Z switches the
// negation of z on, and ORI_ROTATION_XY exchanges the x and y accessors.
enum orientationType {
  ORI_DEFAULT = 0,
  ORI_INVERSION_HORIZONTAL = 1,
  ORI_INVERSION_VERTICAL = 2,
  ORI_INVERSION_Z = 4,
  ORI_ROTATION_XY = 8
};

// Value list of the "orientation" parameter, in index order.
extern const char* const ORIENTATION_CHOICES;

// The mask for the current string of the data set's "orientation" collection,
// matched by text; ORI_DEFAULT for a null data set, a missing key or an unknown text.
orientationType getMask(tlp::DataSet* dataSet);

// The mask chosen by the two check boxes of an orientation panel.
orientationType maskFromPanel(bool reverseOrientation, bool reverseDirection);

#endif
