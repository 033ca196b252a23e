#ifndef TEXTFERRO_TULIPGLYPHDECLARATIONS_H
#define TEXTFERRO_TULIPGLYPHDECLARATIONS_H

// The graph library's edge-extremity glyph base and its two glyph registries.
// libtulip-ogl 5.4 exports these symbols, but Debian's libtulip-dev ships no
// header for them. The declarations match the exported symbols and the class
// layout of that library: one pointer after the plug-in base, and draw() as the
// only virtual function added to tlp::Plugin.

#include <tulip/Color.h>
#include <tulip/Edge.h>
#include <tulip/Node.h>
#include <tulip/Plugin.h>

#include <string>

namespace tlp {

class GlGraphInputData;

class TLP_GL_SCOPE EdgeExtremityGlyph : public Plugin {
public:
  // The context, when given, is a tlp::GlyphContext; its input data is kept.
  explicit EdgeExtremityGlyph(const PluginContext* context);
  ~EdgeExtremityGlyph() override;

  std::string icon() const override;
  std::string category() const override;

  // Draws the extremity of e at n, inside a transformation already set up by the view.
  virtual void draw(edge e, node n, const Color& glyphColor, const Color& borderColor,
                    float lod) = 0;

protected:
  GlGraphInputData* edgeExtGlGraphInputData;
};

static_assert(sizeof(EdgeExtremityGlyph) == sizeof(Plugin) + sizeof(void*),
              "declared layout no longer matches libtulip-ogl 5.4");

class TLP_GL_SCOPE GlyphManager {
public:
  static std::string glyphName(int id);
  static int glyphId(const std::string& name, bool warnIfNotFound = true);
  // Rebuilds the id <-> name tables from the glyph plug-ins registered so far.
  static void loadGlyphPlugins();
};

class TLP_GL_SCOPE EdgeExtremityGlyphManager {
public:
  static std::string glyphName(int id);
  static int glyphId(const std::string& name);
  // Rebuilds the id <-> name tables from the edge-extremity plug-ins registered so far.
  static void loadGlyphPlugins();
};

} // namespace tlp

#endif
