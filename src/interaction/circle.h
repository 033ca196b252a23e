#ifndef TEXTFERRO_CIRCLE_H
#define TEXTFERRO_CIRCLE_H

// The station glyph: a flat, optionally textured disc of diameter 1 with a thin
// outline, drawn from two shared display lists. One class serves as the node
// glyph "2D - Circle" (id 14) and as its edge-extremity twin "2D - Circle
// extremity" (id 15): the graph library keeps one plug-in per name.

#include "interaction/TulipGlyphDeclarations.h"

#include <tulip/Glyph.h>

#include <string>

class Circle : public tlp::Glyph, public tlp::EdgeExtremityGlyph {
public:
  enum class Role { Node, EdgeExtremity };

  // Both graph-library registries hand a tlp::GlyphContext, or null for the
  // object that only describes the plug-in. The role picks name and id.
  Circle(Role role, const tlp::PluginContext* context);
  ~Circle() override;

  std::string name() const override;
  std::string group() const override;
  std::string author() const override;
  std::string date() const override;
  std::string info() const override;
  std::string release() const override;
  std::string tulipRelease() const override;
  std::string category() const override;
  std::string icon() const override;
  int id() const override;

  void getIncludeBoundingBox(tlp::BoundingBox& boundingBox, tlp::node) override;
  void draw(tlp::node n, float lod) override;
  void draw(tlp::edge e, tlp::node n, const tlp::Color& glyphColor, const tlp::Color& borderColor,
            float lod) override;

  // Draws the disc in glyphColor, textured with texturePath + texture when
  // texture is not empty, and its outline in borderColor when lod is above 20.
  static void drawGlyph(const tlp::Color& glyphColor, const std::string& texturePath,
                        const std::string& texture, double borderWidth,
                        const tlp::Color& borderColor, float lod);

private:
  static void drawCircle();
  static void drawCircleBorder();

  // Tulip 5.4 keeps one plug-in registry keyed by name, so the two faces of the
  // glyph are two plug-ins, told apart by the role they were built for.
  Role role;
};

#endif
