#ifndef TEXTFERRO_QIMAGETEXTURELOADER_H
#define TEXTFERRO_QIMAGETEXTURELOADER_H

// Loads the image files that glyphs name as textures, in every format Qt reads.
// The graph library's texture manager has no loader of its own in Tulip 5.4 and
// throws on the first texture unless one is installed.

#include <tulip/GlTextureManager.h>

class QImageTextureLoader : public tlp::GlTextureLoader {
public:
  // Creates one OpenGL texture in the current context; false when the file
  // cannot be read as an image.
  bool loadTexture(const std::string& filename, tlp::GlTexture& texture) override;
};

#endif
