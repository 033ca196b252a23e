#include "interaction/GlyphSetup.h"

#include "interaction/QImageTextureLoader.h"
#include "interaction/TulipGlyphDeclarations.h"

void initGlyphs() {
  tlp::GlyphManager::loadGlyphPlugins();
  tlp::EdgeExtremityGlyphManager::loadGlyphPlugins();
  tlp::GlTextureManager::setTextureLoader(new QImageTextureLoader());
}
