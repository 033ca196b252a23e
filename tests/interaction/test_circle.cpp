// The station glyph drawn into an off-screen OpenGL context: its registration
// with the graph library, the shared display lists, the outline rule, the line
// widths, textures and the GL state it leaves behind.

#include "clusterflow/TulipSetup.h"
#include "interaction/GlDisplayListRegistry.h"
#include "interaction/GlyphSetup.h"
#include "interaction/TulipGlyphDeclarations.h"
#include "interaction/circle.h"

#include <QDir>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QTemporaryDir>
#include <QtTest>

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/DoubleProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlGraphInputData.h>
#include <tulip/GlGraphRenderingParameters.h>
#include <tulip/GlTextureManager.h>
#include <tulip/Graph.h>
#include <tulip/OpenGlIncludes.h>
#include <tulip/PluginLister.h>
#include <tulip/StringProperty.h>

#include <functional>
#include <memory>

namespace {

const int imageSize = 120;
const tlp::Color grey(180, 180, 180, 255);
const tlp::Color black(0, 0, 0, 255);

bool isBlack(QRgb pixel) {
  return qRed(pixel) < 60 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}

int countPixels(const QImage& image, const std::function<bool(QRgb)>& test) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      count += test(image.pixel(x, y)) ? 1 : 0;
  return count;
}

// A graph with two styled nodes and an edge, and a view-less graph entity
// whose input data holds the glyph tables the graph library built for it.
struct StyledGraph {
  std::unique_ptr<tlp::Graph> graph{tlp::newGraph()};
  tlp::node a = graph->addNode();
  tlp::node b = graph->addNode();
  tlp::edge e = graph->addEdge(a, b);
  std::unique_ptr<tlp::GlGraphComposite> composite;

  StyledGraph() {
    graph->getProperty<tlp::ColorProperty>("viewColor")->setNodeValue(a, grey);
    graph->getProperty<tlp::ColorProperty>("viewBorderColor")->setNodeValue(a, black);
    graph->getProperty<tlp::DoubleProperty>("viewBorderWidth")->setNodeValue(a, 0.5);
    graph->getProperty<tlp::DoubleProperty>("viewBorderWidth")->setEdgeValue(e, 3.0);
    composite.reset(new tlp::GlGraphComposite(graph.get()));
  }
  tlp::GlGraphInputData* data() { return composite->getInputData(); }
};

} // namespace

class TestCircle : public QObject {
  Q_OBJECT

private slots:
  void initTestCase();
  void cleanupTestCase();

  void registersBothFacesWithTheGraphLibrary();
  void viewsDrawNodesAndExtremitiesWithCircles();
  void recordsDisplayListsOncePerShareGroup();
  void drawsTheOutlineOnlyAboveLod20_data();
  void drawsTheOutlineOnlyAboveLod20();
  void outlineWidthFollowsTheBorderWidth_data();
  void outlineWidthFollowsTheBorderWidth();
  void nodeFaceDrawsTheNodeStyle();
  void extremityFaceDrawsTheEdgeStyleAndLeavesLightingOff();
  void texturesTheDiscByPlainConcatenation();
  void missingOrEmptyTextureLeavesTexturingOff();

private:
  QImage render(const std::function<void()>& draw);

  QOffscreenSurface surface;
  QOpenGLContext context;
  std::unique_ptr<QOpenGLFramebufferObject> frame;
};

void TestCircle::initTestCase() {
  initTulip();
  initGlyphs();
  surface.create();
  QVERIFY(context.create());
  QVERIFY(context.makeCurrent(&surface));
  frame.reset(new QOpenGLFramebufferObject(imageSize, imageSize));
}

void TestCircle::cleanupTestCase() {
  frame.reset();
  context.doneCurrent();
}

// Draws with the unit glyph filling most of the image, on a blue background,
// lighting off, and returns the picture.
QImage TestCircle::render(const std::function<void()>& draw) {
  frame->bind();
  glViewport(0, 0, imageSize, imageSize);
  glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-0.6, 0.6, -0.6, 0.6, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  draw();
  glFinish();
  QImage image = frame->toImage();
  frame->release();
  return image;
}

void TestCircle::registersBothFacesWithTheGraphLibrary() {
  QCOMPARE(tlp::GlyphManager::glyphName(14), std::string("2D - Circle"));
  QCOMPARE(tlp::GlyphManager::glyphId("2D - Circle"), 14);
  QCOMPARE(tlp::EdgeExtremityGlyphManager::glyphName(15), std::string("2D - Circle extremity"));
  QCOMPARE(tlp::EdgeExtremityGlyphManager::glyphId("2D - Circle extremity"), 15);

  QCOMPARE(tlp::PluginLister::pluginInformation("2D - Circle").info(),
           std::string("Textured Circle"));
}

void TestCircle::viewsDrawNodesAndExtremitiesWithCircles() {
  StyledGraph styled;
  QVERIFY(dynamic_cast<Circle*>(styled.data()->glyphs.get(14)) != nullptr);
  QVERIFY(dynamic_cast<Circle*>(styled.data()->extremityGlyphs.get(15)) != nullptr);
  // Ids that nobody registered keep the library's fallbacks.
  QVERIFY(dynamic_cast<Circle*>(styled.data()->glyphs.get(3)) == nullptr);
}

void TestCircle::recordsDisplayListsOncePerShareGroup() {
  GlDisplayListRegistry& lists = GlDisplayListRegistry::instance();
  StyledGraph first;
  StyledGraph second;
  tlp::Glyph* glyphs[] = {first.data()->glyphs.get(14), second.data()->glyphs.get(14)};
  render([&]() {
    for (int i = 0; i < 50; ++i)
      glyphs[i % 2]->draw(first.a, 30.0f);
  });
  const GLuint disc = lists.listId("Circle_circle");
  const GLuint outline = lists.listId("Circle_circleborder");
  QVERIFY(disc != 0);
  QVERIFY(outline != 0);
  QVERIFY(disc != outline);
  QVERIFY(glIsList(disc));
  QVERIFY(glIsList(outline));
  QVERIFY(!lists.beginNewList("Circle_circle"));
  render([&]() { Circle::drawGlyph(grey, "", "", 1.0, black, 30.0f); });
  QCOMPARE(lists.listId("Circle_circle"), disc);

  // A context that shares nothing with ours gets lists of its own, and an
  // unknown name replays nothing.
  QOffscreenSurface otherSurface;
  otherSurface.create();
  QOpenGLContext other;
  QVERIFY(other.create());
  QVERIFY(other.makeCurrent(&otherSurface));
  QCOMPARE(lists.listId("Circle_circle"), GLuint(0));
  Circle::drawGlyph(grey, "", "", 1.0, black, 30.0f);
  QVERIFY(lists.listId("Circle_circle") != 0);
  QVERIFY(!lists.callList("no such list"));
  other.doneCurrent();
  QVERIFY(context.makeCurrent(&surface));
  QCOMPARE(lists.listId("Circle_circle"), disc);
}

void TestCircle::drawsTheOutlineOnlyAboveLod20_data() {
  QTest::addColumn<float>("lod");
  QTest::addColumn<bool>("outlined");
  QTest::newRow("small on screen") << 3.0f << false;
  QTest::newRow("exactly 20") << 20.0f << false;
  QTest::newRow("just above 20") << 20.01f << true;
  QTest::newRow("large on screen") << 400.0f << true;
}

void TestCircle::drawsTheOutlineOnlyAboveLod20() {
  QFETCH(float, lod);
  QFETCH(bool, outlined);
  glLineWidth(7.0f);
  const QImage image = render([&]() { Circle::drawGlyph(grey, "", "", 0.0, black, lod); });
  GLfloat width = 0.0f;
  glGetFloatv(GL_LINE_WIDTH, &width);

  // The grey disc is always there, the black outline only when asked for.
  const QRgb centre = image.pixel(imageSize / 2, imageSize / 2);
  QCOMPARE(qRed(centre), 180);
  QCOMPARE(qBlue(centre), 180);
  QCOMPARE(countPixels(image, isBlack) > 0, outlined);
  QCOMPARE(width, outlined ? 2.0f : 7.0f);
}

void TestCircle::outlineWidthFollowsTheBorderWidth_data() {
  QTest::addColumn<double>("borderWidth");
  QTest::addColumn<float>("lineWidth");
  QTest::newRow("no border width") << 0.0 << 2.0f;
  QTest::newRow("negative") << -3.0 << 1e-6f;
  QTest::newRow("below 1e-6") << 1e-9 << 1e-6f;
  QTest::newRow("thin") << 0.5 << 0.5f;
  QTest::newRow("major station") << 2.1 << 2.1f;
}

void TestCircle::outlineWidthFollowsTheBorderWidth() {
  QFETCH(double, borderWidth);
  QFETCH(float, lineWidth);
  render([&]() { Circle::drawGlyph(grey, "", "", borderWidth, black, 50.0f); });
  GLfloat width = 0.0f;
  glGetFloatv(GL_LINE_WIDTH, &width);
  QCOMPARE(width, lineWidth);
  QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));
}

void TestCircle::nodeFaceDrawsTheNodeStyle() {
  StyledGraph styled;
  tlp::Glyph* glyph = styled.data()->glyphs.get(14);
  const QImage image = render([&]() { glyph->draw(styled.a, 50.0f); });
  GLfloat width = 0.0f;
  glGetFloatv(GL_LINE_WIDTH, &width);
  QCOMPARE(width, 0.5f);
  QCOMPARE(QColor(image.pixel(imageSize / 2, imageSize / 2)), QColor(180, 180, 180));
  // The outline re-enables lighting for the nodes drawn after it.
  QVERIFY(glIsEnabled(GL_LIGHTING));
  // The disc has diameter 1: the corners of the unit square keep the background.
  QCOMPARE(QColor(image.pixel(2, 2)), QColor(0, 0, 255));

  // What the view may place inside the glyph lies inside the disc.
  tlp::BoundingBox inside;
  glyph->getIncludeBoundingBox(inside, styled.a);
  QCOMPARE(inside[1][0] - inside[0][0], 0.7f);
  for (const tlp::Coord& corner : {inside[0], inside[1]})
    QVERIFY(corner.norm() < 0.5f);
}

void TestCircle::extremityFaceDrawsTheEdgeStyleAndLeavesLightingOff() {
  StyledGraph styled;
  tlp::EdgeExtremityGlyph* glyph = styled.data()->extremityGlyphs.get(15);
  const tlp::Color red(255, 0, 0, 255);
  const QImage image = render([&]() {
    glEnable(GL_LIGHTING);
    glyph->draw(styled.e, styled.b, red, black, 50.0f);
  });
  QVERIFY(!glIsEnabled(GL_LIGHTING));
  GLfloat width = 0.0f;
  glGetFloatv(GL_LINE_WIDTH, &width);
  QCOMPARE(width, 3.0f);
  QVERIFY(countPixels(image, isBlack) > 0);
  // Under lighting without lights the disc is dark; what matters is that it
  // covers the centre and not the corner.
  QVERIFY(image.pixel(imageSize / 2, imageSize / 2) != image.pixel(2, 2));
}

void TestCircle::texturesTheDiscByPlainConcatenation() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  QImage green(8, 8, QImage::Format_RGB32);
  green.fill(QColor(0, 255, 0));
  QVERIFY(green.save(dir.filePath("station.png")));
  const std::string path = QDir(dir.path()).filePath("sta").toStdString();

  const QImage image = render([&]() {
    Circle::drawGlyph(tlp::Color(255, 255, 255, 255), path, "tion.png", 1.0, black, 3.0f);
  });
  QVERIFY(tlp::GlTextureManager::existsTexture(path + "tion.png"));
  QCOMPARE(QColor(image.pixel(imageSize / 2, imageSize / 2)), QColor(0, 255, 0));
  QVERIFY(!glIsEnabled(GL_TEXTURE_2D));
}

void TestCircle::missingOrEmptyTextureLeavesTexturingOff() {
  // Texturing left on by whatever drew before is switched off after the disc,
  // so the next disc comes out plain.
  const QImage image = render([&]() {
    glEnable(GL_TEXTURE_2D);
    Circle::drawGlyph(grey, "/no/such/dir/", "", 1.0, black, 3.0f);
    QVERIFY(!glIsEnabled(GL_TEXTURE_2D));
    Circle::drawGlyph(grey, "/no/such/dir/", "station.png", 1.0, black, 3.0f);
  });
  QVERIFY(!glIsEnabled(GL_TEXTURE_2D));
  QVERIFY(!tlp::GlTextureManager::existsTexture("/no/such/dir/station.png"));
  QCOMPARE(QColor(image.pixel(imageSize / 2, imageSize / 2)), QColor(180, 180, 180));
}

QTEST_MAIN(TestCircle)
#include "test_circle.moc"
