// The station glyph drawn into an off-screen OpenGL context: its registration
// with the graph library, the shared display lists, the outline rule, the line
// widths and the GL state it leaves behind.

#include "clusterflow/TulipSetup.h"
#include "interaction/GlDisplayListRegistry.h"
#include "interaction/GlyphSetup.h"
#include "interaction/TulipGlyphDeclarations.h"
#include "interaction/circle.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QtTest>

#include <tulip/ColorProperty.h>
#include <tulip/DoubleProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlGraphInputData.h>
#include <tulip/OpenGlIncludes.h>

#include <functional>
#include <memory>
#include <tuple>

namespace {

const int imageSize = 120;
const tlp::Color grey(180, 180, 180, 255), black(0, 0, 0, 255);
const QColor plainGrey(180, 180, 180), background(0, 0, 255);

bool hasBlack(const QImage& image) {
  for (int i = 0; i < imageSize * imageSize; ++i)
    if (QColor(image.pixel(i % imageSize, i / imageSize)).value() < 60)
      return true;
  return false;
}

QColor centre(const QImage& image) {
  return image.pixel(imageSize / 2, imageSize / 2);
}

float lineWidth() {
  GLfloat width = 0.0f;
  glGetFloatv(GL_LINE_WIDTH, &width);
  return width;
}

} // namespace

class TestCircle : public QObject {
  Q_OBJECT

  QOffscreenSurface surface;
  QOpenGLContext context;
  std::unique_ptr<QOpenGLFramebufferObject> frame;

  // Draws with the unit glyph filling most of the image, on a blue background,
  // lighting off, and returns the picture.
  QImage render(const std::function<void()>& draw) {
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

private slots:
  void initTestCase() {
    initTulip();
    initGlyphs();
    surface.create();
    QVERIFY(context.create());
    QVERIFY(context.makeCurrent(&surface));
    frame.reset(new QOpenGLFramebufferObject(imageSize, imageSize));
  }
  void cleanupTestCase() { frame.reset(); }

  // Found by name, the glyph draws the styles of a graph's nodes and edge ends.
  void drawsNodesAndEdgeEndsOfGraphsInViews() {
    std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
    const tlp::node a = graph->addNode(), b = graph->addNode();
    const tlp::edge e = graph->addEdge(a, b);
    graph->getProperty<tlp::ColorProperty>("viewColor")->setNodeValue(a, grey);
    graph->getProperty<tlp::ColorProperty>("viewBorderColor")->setNodeValue(a, black);
    graph->getProperty<tlp::DoubleProperty>("viewBorderWidth")->setNodeValue(a, 0.5);
    graph->getProperty<tlp::DoubleProperty>("viewBorderWidth")->setEdgeValue(e, 3.0);
    tlp::GlGraphComposite composite(graph.get());
    tlp::Glyph* node =
        composite.getInputData()->glyphs.get(tlp::GlyphManager::glyphId("2D - Circle"));
    tlp::EdgeExtremityGlyph* end = composite.getInputData()->extremityGlyphs.get(
        tlp::EdgeExtremityGlyphManager::glyphId("2D - Circle extremity"));
    QVERIFY(dynamic_cast<Circle*>(node) && dynamic_cast<Circle*>(end));

    QImage image = render([&]() { node->draw(a, 50.0f); });
    QCOMPARE(lineWidth(), 0.5f);
    QCOMPARE(centre(image), plainGrey);
    // The outline re-enables lighting for the nodes drawn after it.
    QVERIFY(glIsEnabled(GL_LIGHTING));
    // The disc has diameter 1: the corners of the unit square keep the background.
    QCOMPARE(QColor(image.pixel(2, 2)), background);
    // What the view may place inside the glyph lies inside the disc.
    tlp::BoundingBox inside;
    node->getIncludeBoundingBox(inside, a);
    QVERIFY(inside[0].norm() < 0.5f && inside[1].norm() < 0.5f);

    image = render([&]() {
      glEnable(GL_LIGHTING);
      end->draw(e, b, tlp::Color(255, 0, 0, 255), black, 50.0f);
    });
    QVERIFY(!glIsEnabled(GL_LIGHTING));
    QCOMPARE(lineWidth(), 3.0f);
    // Under lighting without lights the disc is dark, but it covers the centre.
    QVERIFY(hasBlack(image) && centre(image) != background);
  }

  void recordsDisplayListsOncePerShareGroup() {
    GlDisplayListRegistry& lists = GlDisplayListRegistry::instance();
    render([&]() {
      for (int i = 0; i < 50; ++i)
        Circle::drawGlyph(grey, "", "", 1.0, black, 30.0f);
    });
    const GLuint disc = lists.listId("Circle_circle");
    const GLuint outline = lists.listId("Circle_circleborder");
    QVERIFY(disc != 0 && outline != 0 && disc != outline && glIsList(disc) && glIsList(outline));
    QVERIFY(!lists.beginNewList("Circle_circle"));
    // A context that shares nothing with ours gets lists of its own, and an
    // unknown name replays nothing.
    QOffscreenSurface otherSurface;
    otherSurface.create();
    QOpenGLContext other;
    QVERIFY(other.create() && other.makeCurrent(&otherSurface));
    QCOMPARE(lists.listId("Circle_circle"), GLuint(0));
    Circle::drawGlyph(grey, "", "", 1.0, black, 30.0f);
    QVERIFY(lists.listId("Circle_circle") != 0);
    QVERIFY(!lists.callList("no such list"));
    other.doneCurrent();
    QVERIFY(context.makeCurrent(&surface));
    QCOMPARE(lists.listId("Circle_circle"), disc);
  }

  void drawsTheOutlineAboveLod20WithTheBorderWidth() {
    // Level of detail, border width, and the line width after drawing: 7 is the
    // width left from before, so no outline was drawn.
    const std::tuple<float, double, float> cases[] = {
        {20.0f, 0.0, 7.0f}, {20.01f, 0.0, 2.0f}, {50.0f, -3.0, 1e-6f}, {50.0f, 0.5, 0.5f}};
    for (const auto& [lod, borderWidth, width] : cases) {
      glLineWidth(7.0f);
      const QImage image =
          render([&, lod = lod, borderWidth = borderWidth]() {
            Circle::drawGlyph(grey, "", "", borderWidth, black, lod);
          });
      QCOMPARE(lineWidth(), width);
      QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));
      // The grey disc is always there, the black outline only when asked for.
      QCOMPARE(centre(image), plainGrey);
      if (borderWidth == 0)
        QCOMPARE(hasBlack(image), width != 7.0f);
    }
  }
};

QTEST_MAIN(TestCircle)
#include "test_circle.moc"
