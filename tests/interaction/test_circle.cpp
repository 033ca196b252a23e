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

#include <tulip/ColorProperty.h>
#include <tulip/DoubleProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlGraphInputData.h>
#include <tulip/GlTextureManager.h>
#include <tulip/Graph.h>
#include <tulip/OpenGlIncludes.h>

#include <functional>
#include <memory>

namespace {

const int imageSize = 120;
const tlp::Color grey(180, 180, 180, 255);
const tlp::Color black(0, 0, 0, 255);

bool hasBlack(const QImage& image) {
  for (int i = 0; i < imageSize * imageSize; ++i)
    if (QColor(image.pixel(i % imageSize, i / imageSize)).value() < 60)
      return true;
  return false;
}

QColor centre(const QImage& image) { return image.pixel(imageSize / 2, imageSize / 2); }

float lineWidth() {
  GLfloat width = 0.0f;
  glGetFloatv(GL_LINE_WIDTH, &width);
  return width;
}

// A graph with two styled nodes and an edge, and a view-less graph entity
// whose input data holds the glyph tables the graph library built for it.
struct StyledGraph {
  std::unique_ptr<tlp::Graph> graph{tlp::newGraph()};
  tlp::node a = graph->addNode(), b = graph->addNode();
  tlp::edge e = graph->addEdge(a, b);
  std::unique_ptr<tlp::GlGraphComposite> composite;

  StyledGraph() {
    graph->getProperty<tlp::ColorProperty>("viewColor")->setNodeValue(a, grey);
    graph->getProperty<tlp::ColorProperty>("viewBorderColor")->setNodeValue(a, black);
    graph->getProperty<tlp::DoubleProperty>("viewBorderWidth")->setNodeValue(a, 0.5);
    graph->getProperty<tlp::DoubleProperty>("viewBorderWidth")->setEdgeValue(e, 3.0);
    composite.reset(new tlp::GlGraphComposite(graph.get()));
  }
  tlp::Glyph* node() { return composite->getInputData()->glyphs.get(14); }
  tlp::EdgeExtremityGlyph* extremity() {
    return composite->getInputData()->extremityGlyphs.get(15);
  }
};

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

  void isFoundByNameAndDrawsNodesAndExtremitiesInViews() {
    QCOMPARE(tlp::GlyphManager::glyphId("2D - Circle"), 14);
    QCOMPARE(tlp::EdgeExtremityGlyphManager::glyphId("2D - Circle extremity"), 15);
    StyledGraph styled;
    QVERIFY(dynamic_cast<Circle*>(styled.node()) && dynamic_cast<Circle*>(styled.extremity()));
    // Ids that nobody registered keep the library's fallbacks.
    QVERIFY(dynamic_cast<Circle*>(styled.composite->getInputData()->glyphs.get(3)) == nullptr);
  }

  void recordsDisplayListsOncePerShareGroup() {
    GlDisplayListRegistry& lists = GlDisplayListRegistry::instance();
    StyledGraph first, second;
    render([&]() {
      for (int i = 0; i < 50; ++i)
        (i % 2 ? first : second).node()->draw(first.a, 30.0f);
    });
    const GLuint disc = lists.listId("Circle_circle");
    const GLuint outline = lists.listId("Circle_circleborder");
    QVERIFY(disc != 0 && outline != 0 && disc != outline);
    QVERIFY(glIsList(disc) && glIsList(outline));
    QVERIFY(!lists.beginNewList("Circle_circle"));
    render([&]() { Circle::drawGlyph(grey, "", "", 1.0, black, 30.0f); });
    QCOMPARE(lists.listId("Circle_circle"), disc);

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

  void drawsTheOutlineAboveLod20WithTheBorderWidth_data() {
    QTest::addColumn<float>("lod");
    QTest::addColumn<double>("borderWidth");
    QTest::addColumn<float>("width"); // 7 is the width left from before: no outline
    QTest::newRow("small on screen") << 3.0f << 0.0 << 7.0f;
    QTest::newRow("exactly 20") << 20.0f << 0.0 << 7.0f;
    QTest::newRow("just above 20") << 20.01f << 0.0 << 2.0f;
    QTest::newRow("large, no border width") << 400.0f << 0.0 << 2.0f;
    QTest::newRow("negative") << 50.0f << -3.0 << 1e-6f;
    QTest::newRow("below 1e-6") << 50.0f << 1e-9 << 1e-6f;
    QTest::newRow("thin") << 50.0f << 0.5 << 0.5f;
    QTest::newRow("major station") << 50.0f << 2.1 << 2.1f;
  }

  void drawsTheOutlineAboveLod20WithTheBorderWidth() {
    QFETCH(float, lod);
    QFETCH(double, borderWidth);
    QFETCH(float, width);
    glLineWidth(7.0f);
    const QImage image =
        render([&]() { Circle::drawGlyph(grey, "", "", borderWidth, black, lod); });
    QCOMPARE(lineWidth(), width);
    QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));
    // The grey disc is always there, the black outline only when asked for.
    QCOMPARE(centre(image), QColor(180, 180, 180));
    if (borderWidth == 0)
      QCOMPARE(hasBlack(image), lod > 20);
  }

  void facesDrawTheNodeAndEdgeStyles() {
    StyledGraph styled;
    QImage image = render([&]() { styled.node()->draw(styled.a, 50.0f); });
    QCOMPARE(lineWidth(), 0.5f);
    QCOMPARE(centre(image), QColor(180, 180, 180));
    // The outline re-enables lighting for the nodes drawn after it.
    QVERIFY(glIsEnabled(GL_LIGHTING));
    // The disc has diameter 1: the corners of the unit square keep the background.
    QCOMPARE(QColor(image.pixel(2, 2)), QColor(0, 0, 255));
    // What the view may place inside the glyph lies inside the disc.
    tlp::BoundingBox inside;
    styled.node()->getIncludeBoundingBox(inside, styled.a);
    QCOMPARE(inside[1][0] - inside[0][0], 0.7f);
    QVERIFY(inside[0].norm() < 0.5f && inside[1].norm() < 0.5f);

    image = render([&]() {
      glEnable(GL_LIGHTING);
      styled.extremity()->draw(styled.e, styled.b, tlp::Color(255, 0, 0, 255), black, 50.0f);
    });
    QVERIFY(!glIsEnabled(GL_LIGHTING));
    QCOMPARE(lineWidth(), 3.0f);
    QVERIFY(hasBlack(image));
    // Under lighting without lights the disc is dark; what matters is that it
    // covers the centre and not the corner.
    QVERIFY(image.pixel(imageSize / 2, imageSize / 2) != image.pixel(2, 2));
  }

  void texturesTheDiscByPlainConcatenationAndLeavesTexturingOff() {
    QTemporaryDir dir;
    QImage green(8, 8, QImage::Format_RGB32);
    green.fill(QColor(0, 255, 0));
    QVERIFY(green.save(dir.filePath("station.png")));
    const std::string path = QDir(dir.path()).filePath("sta").toStdString();
    QImage image = render([&]() {
      Circle::drawGlyph(tlp::Color(255, 255, 255, 255), path, "tion.png", 1.0, black, 3.0f);
    });
    QVERIFY(tlp::GlTextureManager::existsTexture(path + "tion.png"));
    QCOMPARE(centre(image), QColor(0, 255, 0));
    QVERIFY(!glIsEnabled(GL_TEXTURE_2D));

    // Texturing left on by whatever drew before is switched off after the disc,
    // so the next disc comes out plain; a missing file gives a plain disc too.
    image = render([&]() {
      glEnable(GL_TEXTURE_2D);
      Circle::drawGlyph(grey, "/no/such/dir/", "", 1.0, black, 3.0f);
      QVERIFY(!glIsEnabled(GL_TEXTURE_2D));
      Circle::drawGlyph(grey, "/no/such/dir/", "station.png", 1.0, black, 3.0f);
    });
    QVERIFY(!glIsEnabled(GL_TEXTURE_2D));
    QVERIFY(!tlp::GlTextureManager::existsTexture("/no/such/dir/station.png"));
    QCOMPARE(centre(image), QColor(180, 180, 180));
  }
};

QTEST_MAIN(TestCircle)
#include "test_circle.moc"
