#include "interaction/circle.h"

#include "interaction/GlDisplayListRegistry.h"

#include <tulip/BoundingBox.h>
#include <tulip/ColorProperty.h>
#include <tulip/DoubleProperty.h>
#include <tulip/GlGraphInputData.h>
#include <tulip/GlGraphRenderingParameters.h>
#include <tulip/GlTextureManager.h>
#include <tulip/GlTools.h>
#include <tulip/OpenGlIncludes.h>
#include <tulip/StringProperty.h>
#include <tulip/TulipRelease.h>

#include <GL/glu.h>

#include <cmath>

namespace {

const char* const discList = "Circle_circle";
const char* const outlineList = "Circle_circleborder";
const int rimSegments = 30;
const float outlineMinLod = 20.0f;

// Line width of the outline: 2 for no border width, never below 1e-6 (which
// also catches negative widths).
float outlineWidth(double borderWidth) {
  if (borderWidth == 0.0)
    return 2.0f;
  if (borderWidth < 1e-6)
    return 1e-6f;
  return static_cast<float>(borderWidth);
}

} // namespace

// Both bases take the context: the registry lists each plug-in under every base
// it has, so either face may be asked to draw as a node or as an extremity.
Circle::Circle(Role role, const tlp::PluginContext* context)
    : tlp::Glyph(context), tlp::EdgeExtremityGlyph(context), role(role) {}

Circle::~Circle() = default;

std::string Circle::name() const {
  return role == Role::Node ? "2D - Circle" : "2D - Circle extremity";
}

std::string Circle::group() const {
  return "";
}

std::string Circle::author() const {
  return "TextFerro";
}

std::string Circle::date() const {
  return "09/07/2002";
}

std::string Circle::info() const {
  return "Textured Circle";
}

std::string Circle::release() const {
  return "1.1";
}

std::string Circle::tulipRelease() const {
  return TULIP_VERSION;
}

std::string Circle::category() const {
  return role == Role::Node ? tlp::Glyph::category() : tlp::EdgeExtremityGlyph::category();
}

std::string Circle::icon() const {
  return role == Role::Node ? tlp::Glyph::icon() : tlp::EdgeExtremityGlyph::icon();
}

int Circle::id() const {
  return role == Role::Node ? 14 : 15;
}

// A centred square of side 0.7, inside the disc. Glyph space runs from -0.5 to
// 0.5 in Tulip 5.4 (older releases used 0 to 1, where this was 0.15 to 0.85).
void Circle::getIncludeBoundingBox(tlp::BoundingBox& boundingBox, tlp::node) {
  boundingBox[0] = tlp::Coord(-0.35f, -0.35f, 0.0f);
  boundingBox[1] = tlp::Coord(0.35f, 0.35f, 0.0f);
}

void Circle::draw(tlp::node n, float lod) {
  const tlp::GlGraphInputData* data = tlp::Glyph::glGraphInputData;
  drawGlyph(data->getElementColor()->getNodeValue(n), data->renderingParameters()->getTexturePath(),
            data->getElementTexture()->getNodeValue(n),
            data->getElementBorderWidth()->getNodeValue(n),
            data->getElementBorderColor()->getNodeValue(n), lod);
}

void Circle::draw(tlp::edge e, tlp::node, const tlp::Color& glyphColor,
                  const tlp::Color& borderColor, float lod) {
  const tlp::GlGraphInputData* data = edgeExtGlGraphInputData;
  drawGlyph(glyphColor, data->renderingParameters()->getTexturePath(),
            data->getElementTexture()->getEdgeValue(e),
            data->getElementBorderWidth()->getEdgeValue(e), borderColor, lod);
  glDisable(GL_LIGHTING);
}

void Circle::drawGlyph(const tlp::Color& glyphColor, const std::string& texturePath,
                       const std::string& texture, double borderWidth,
                       const tlp::Color& borderColor, float lod) {
  GlDisplayListRegistry& lists = GlDisplayListRegistry::instance();
  if (lists.beginNewList(discList)) {
    drawCircle();
    lists.endList();
  }
  if (lists.beginNewList(outlineList)) {
    drawCircleBorder();
    lists.endList();
  }

  tlp::setMaterial(glyphColor);
  if (!texture.empty())
    tlp::GlTextureManager::activateTexture(texturePath + texture);
  lists.callList(discList);
  tlp::GlTextureManager::deactivateTexture();

  if (lod > outlineMinLod) {
    glLineWidth(outlineWidth(borderWidth));
    glDisable(GL_LIGHTING);
    tlp::setColor(borderColor);
    lists.callList(outlineList);
    glEnable(GL_LIGHTING);
  }
}

void Circle::drawCircle() {
  GLUquadricObj* quadric = gluNewQuadric();
  gluQuadricNormals(quadric, GLU_SMOOTH);
  gluQuadricTexture(quadric, GL_TRUE);
  // Once facing each way, so that the disc is lit from either side.
  gluQuadricOrientation(quadric, GLU_OUTSIDE);
  gluDisk(quadric, 0.0, 0.5, rimSegments, 1);
  gluQuadricOrientation(quadric, GLU_INSIDE);
  gluDisk(quadric, 0.0, 0.5, rimSegments, 1);
  gluDeleteQuadric(quadric);
}

void Circle::drawCircleBorder() {
  glBegin(GL_LINE_LOOP);
  double angle = M_PI / 2.0;
  const double step = 2.0 * M_PI / rimSegments;
  for (int i = 0; i < rimSegments; ++i) {
    glVertex3f(static_cast<float>(0.5 * std::cos(angle)), static_cast<float>(0.5 * std::sin(angle)),
               0.0f);
    angle += step;
  }
  glEnd();
}

namespace {

// The two registrations, made when the library is loaded.
class CircleGlyphFactory : public tlp::PluginFactory {
public:
  CircleGlyphFactory() { registerFactory(this); }
  tlp::Plugin* createPluginObject(tlp::PluginContext* context) override {
    return static_cast<tlp::Glyph*>(new Circle(Circle::Role::Node, context));
  }
};

class CircleEdgeExtremityGlyphFactory : public tlp::PluginFactory {
public:
  CircleEdgeExtremityGlyphFactory() { registerFactory(this); }
  tlp::Plugin* createPluginObject(tlp::PluginContext* context) override {
    return static_cast<tlp::EdgeExtremityGlyph*>(new Circle(Circle::Role::EdgeExtremity, context));
  }
};

CircleGlyphFactory CircleGlyphFactoryInitializer;
CircleEdgeExtremityGlyphFactory CircleEdgeExtremityGlyphFactoryInitializer;

} // namespace
