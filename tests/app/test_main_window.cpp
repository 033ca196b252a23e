// The main window and its map view, driven as a user sees them: the window's
// structure and first state, the graph shown with the program's rendering
// settings, rendered pictures of metro maps, and the program's exit code after
// the user closes its window.

#include "app/FerroInterface.h"
#include "clusterflow/GenClusterMap.h"
#include "clusterflow/TulipSetup.h"
#include "interaction/GlyphSetup.h"
#include "support/ExampleMap.h"
#include "support/Programs.h"
#include "tagcloud/tagcache.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QSplitter>
#include <QWheelEvent>
#include <QtTest>

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/DataSet.h>
#include <tulip/DoubleProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlLayer.h>
#include <tulip/IntegerProperty.h>
#include <tulip/SizeProperty.h>
#include <tulip/StringProperty.h>

#include <X11/Xlib.h>

#include <memory>

namespace {

// A metro map styled and laid out by hand the way the loader styles stations: a
// line a-b-c with a branch a-d-e; the split a and the ends c and e are major
// stations (white, black rim), b and d ordinary ones (grey).
struct HandMap {
  std::unique_ptr<tlp::Graph> graph{tlp::newGraph()};
  tlp::node a, b, c, d, e;

  HandMap() {
    const tlp::Color grey(180, 180, 180, 255), white(255, 255, 255, 255), black(0, 0, 0, 255);
    const float places[][2] = {
        {0.0f, 0.0f}, {2.5f, 0.0f}, {5.0f, 0.0f}, {2.5f, -1.5f}, {5.0f, -1.5f}};
    tlp::node* nodes[] = {&a, &b, &c, &d, &e};
    graph->getProperty<tlp::IntegerProperty>("viewShape")->setAllNodeValue(14);
    graph->getProperty<tlp::IntegerProperty>("viewLabelPosition")->setAllNodeValue(2);
    for (int i = 0; i < 5; ++i) {
      const tlp::node n = *nodes[i] = graph->addNode();
      const bool major = i % 2 == 0;
      const float size = major ? 0.75f : 0.5f;
      graph->getProperty<tlp::LayoutProperty>("viewLayout")
          ->setNodeValue(n, tlp::Coord(places[i][0], places[i][1], 0.0f));
      graph->getProperty<tlp::SizeProperty>("viewSize")
          ->setNodeValue(n, tlp::Size(size, size, size));
      graph->getProperty<tlp::ColorProperty>("viewColor")->setNodeValue(n, major ? white : grey);
      graph->getProperty<tlp::ColorProperty>("viewBorderColor")
          ->setNodeValue(n, major ? black : grey);
      graph->getProperty<tlp::DoubleProperty>("viewBorderWidth")
          ->setNodeValue(n, major ? 2.1 : 0.1);
      // Labels are big at this zoom; only a's stays clear of the pixels tested.
      graph->getProperty<tlp::StringProperty>("viewLabel")
          ->setNodeValue(n, i == 0 ? "station" : "");
    }
    for (const auto& [from, to] : {std::pair{a, b}, {b, c}, {a, d}, {d, e}}) {
      const tlp::edge edge = graph->addEdge(from, to);
      graph->getProperty<tlp::ColorProperty>("viewColor")->setEdgeValue(edge, grey);
      graph->getProperty<tlp::ColorProperty>("viewBorderColor")->setEdgeValue(edge, grey);
    }
  }
};

// Publishes a graph the way a successful load does, with object and feature
// lists for every node but `empty`, which gets none.
void publish(tlp::Graph* graph, tlp::node empty = tlp::node()) {
  clusterFlowDiagram = graph;
  nodeToClusterTime.clear();
  clusterTimeToIdListObjects.clear();
  clusterTimeToIdListFeatures.clear();
  int cluster = 1;
  for (const tlp::node n : graph->nodes()) {
    nodeToClusterTime[n] = {cluster, 1};
    if (n != empty) {
      clusterTimeToIdListObjects[cluster][1] = std::vector<std::string>(cluster, "doc");
      clusterTimeToIdListFeatures[cluster][1] = {"word"};
    }
    ++cluster;
  }
}

tlp::GlGraphComposite* shownComposite(tlp::GlMainWidget* view) {
  return view->getScene()->getGlGraphComposite();
}

// The main window on the published graph, shown.
struct ShownWindow {
  QMainWindow main{nullptr, Qt::WindowFlags()};
  FerroInterface* controller = new FerroInterface(&main);
  tlp::GlMainWidget* view = controller->ferroMapView;

  bool show() {
    controller->initInterface();
    main.show();
    return QTest::qWaitForWindowExposed(&main);
  }
  QImage picture() { return view->createPicture(view->width(), view->height(), false); }
};

// The mapped top-level X window titled `title` on the test's display, or 0.
Window viewableWindowTitled(Display* display, const char* title) {
  Window found = 0, root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
  for (unsigned int i = 0; i < count && found == 0; ++i) {
    char* name = nullptr;
    XWindowAttributes attributes;
    if (XFetchName(display, children[i], &name) && name != nullptr) {
      if (QByteArray(name) == title && XGetWindowAttributes(display, children[i], &attributes) &&
          attributes.map_state == IsViewable)
        found = children[i];
      XFree(name);
    }
  }
  if (children != nullptr)
    XFree(children);
  return found;
}

} // namespace

class TestFerroInterface : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() {
    initTulip();
    initGlyphs();
  }

  // A controller that took over the tag cache deletes it; the next test needs one.
  void cleanup() {
    if (::tagCache == nullptr)
      ::tagCache = new TagCache();
  }

  void windowStartsWithItsFormLaidOutAndEmpty() {
    clusterFlowDiagram = nullptr;
    QMainWindow window(nullptr, Qt::WindowFlags());
    FerroInterface controller(&window);
    controller.initInterface();
    QVERIFY(shownComposite(controller.ferroMapView) == nullptr);
    QVERIFY(controller.tagCache == nullptr);

    QCOMPARE(window.objectName(), QString("FerroInterfaceData"));
    QCOMPARE(window.windowTitle(), QString("TextFerro"));
    QCOMPARE(window.size(), QSize(1440, 900));
    QCOMPARE(window.findChild<tlp::GlMainWidget*>("ferroMapView"), controller.ferroMapView);
    QCOMPARE(controller.splitter->orientation(), Qt::Horizontal);
    QCOMPARE(controller.splitter->widget(0), static_cast<QWidget*>(controller.ferroMapView));
    const QList<QAction*> menus = window.menuBar()->actions();
    QCOMPARE(menus.size(), 1);
    QCOMPARE(menus[0]->text(), QString("File"));
    const QList<QAction*> entries = menus[0]->menu()->actions();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0]->text(), QString("Order by Frequency"));
    QVERIFY(entries[0]->isCheckable() && !entries[0]->isChecked());
    QCOMPARE(controller.tagCloudMatrix->count(), 0);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QList<int> halves = controller.splitter->sizes();
    QVERIFY2(qAbs(halves[0] - halves[1]) <= 1 && halves[0] > 500,
             qPrintable(QString("%1 / %2").arg(halves[0]).arg(halves[1])));
    // The controller itself draws nothing and must not cover the menu bar.
    QVERIFY(!controller.isVisible());
    const QRect file = window.menuBar()->actionGeometry(menus[0]);
    QCOMPARE(window.childAt(window.menuBar()->mapTo(&window, file.center())),
             static_cast<QWidget*>(window.menuBar()));
  }

  void initInterfaceShowsThePublishedGraph() {
    HandMap map;
    publish(map.graph.get(), map.d);
    nodeToFileId.clear();
    nodeToFileId[map.a] = ".t1.c1";
    TagCache* processCache = ::tagCache;
    processCache->setTopCount(3);
    QMainWindow window(nullptr, Qt::WindowFlags());
    FerroInterface controller(&window);
    controller.initInterface();

    tlp::GlGraphComposite* composite = shownComposite(controller.ferroMapView);
    QVERIFY(composite != nullptr);
    QCOMPARE(composite->getGraph(), map.graph.get());
    const tlp::GlGraphRenderingParameters& parameters = composite->getRenderingParameters();
    QVERIFY(!parameters.isViewArrow() && parameters.isAntialiased() &&
            parameters.isViewNodeLabel());
    QVERIFY(!parameters.isEdgeColorInterpolate() && parameters.isEdgeSizeInterpolate());
    QCOMPARE(parameters.getSelectionColor(), tlp::Color(255, 50, 50, 245));

    QCOMPARE(controller.tagCache, processCache);
    QCOMPARE(processCache->topCount(), 15);
    // The window keeps its own copy of the file ids; missing lists count as zero.
    nodeToFileId.clear();
    QCOMPARE(controller.nodeToFileId.at(map.a), QString(".t1.c1"));
    QCOMPARE(controller.nodeToNumObjects.at(map.c), 3u);
    QCOMPARE(controller.nodeToNumObjects.at(map.d), 0u);
    QCOMPARE(controller.nodeToNumFeatures.at(map.d), 0u);
  }

  void openingAnotherGraphReplacesTheOldEntity() {
    QMainWindow window(nullptr, Qt::WindowFlags());
    FerroInterface controller(&window);
    tlp::GlMainWidget* view = controller.ferroMapView;
    HandMap first, second;
    tlp::DataSet empty, withDisplaying;
    controller.openGraphOnGlWidget(first.graph.get(), &empty, view);
    tlp::GlGraphRenderingParameters arrows;
    arrows.setViewArrow(true);
    withDisplaying.set("displaying", arrows.getParameters());
    const unsigned int listenersWhileShown = first.graph->countListeners();
    controller.openGraphOnGlWidget(second.graph.get(), &withDisplaying, view);

    QCOMPARE(view->getScene()->getLayer("Main")->getGlEntities().size(), std::size_t(1));
    QCOMPARE(shownComposite(view)->getGraph(), second.graph.get());
    QVERIFY(shownComposite(view)->getRenderingParameters().isViewArrow());
    // The replaced entity and its input data are gone: they no longer listen to their graph.
    QVERIFY(first.graph->countListeners() < listenersWhileShown);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!view->createPicture(200, 100, true).isNull());
  }

  void navigatorsMoveTheCameraUntilTheControllerGoes() {
    HandMap map;
    publish(map.graph.get());
    ShownWindow window;
    QVERIFY(window.show());
    const tlp::Camera& camera = window.view->getScene()->getGraphCamera();
    const double zoom = camera.getZoomFactor();
    const QPoint middle = window.view->rect().center();
    QWheelEvent wheel(middle, window.view->mapToGlobal(middle), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window.view, &wheel);
    QVERIFY(camera.getZoomFactor() != zoom);
    const tlp::Coord centre = camera.getCenter();
    QTest::keyClick(window.view, Qt::Key_Left);
    QVERIFY(camera.getCenter() != centre);
    // A double click, which the library uses to walk into grouped nodes, must
    // be harmless on a map without any.
    QTest::mouseDClick(window.view, Qt::LeftButton, Qt::NoModifier, middle);

    // The controller frees the tag cache; the view outlives it and keeps working
    // without its navigators.
    QPointer<TagCache> cache = ::tagCache;
    delete window.controller;
    QVERIFY(cache.isNull() && ::tagCache == nullptr);
    QTest::keyClick(window.view, Qt::Key_Left);
  }

  void pictureShowsStationFillsAndSelection() {
    HandMap map;
    map.graph->getProperty<tlp::BooleanProperty>("viewSelection")->setNodeValue(map.b, true);
    publish(map.graph.get());
    ShownWindow window;
    QVERIFY(window.show());
    const QImage picture = window.picture();
    QCOMPARE(picture.size(), window.view->size());
    auto centreOf = [&](tlp::node n, float dx = 0.0f) {
      return projectedCentre(window.view, map.graph.get(), n, dx);
    };
    QCOMPARE(QColor(picture.pixel(centreOf(map.c))), QColor(255, 255, 255));
    QCOMPARE(QColor(picture.pixel(centreOf(map.e))), QColor(255, 255, 255));
    QCOMPARE(QColor(picture.pixel(centreOf(map.d))), QColor(180, 180, 180));

    // The white disc is really there: its black outline lies on its rim, half
    // the size of 0.75 away from the centre.
    const QPoint centre = centreOf(map.c);
    const int rim = centre.x() - centreOf(map.c, -0.375f).x();
    QVERIFY(rim > 8);
    int darkest = 255;
    for (int x = centre.x() - rim * 5 / 4; x <= centre.x() - rim * 3 / 4; ++x)
      darkest = std::min(darkest, qGray(picture.pixel(x, centre.y())));
    QVERIFY2(darkest < 80, qPrintable(QString::number(darkest)));

    // Selected stations are marked in the selection colour, the others are not.
    auto redPixelsAround = [&](tlp::node n) {
      const QPoint middle = centreOf(n);
      int count = 0;
      for (int y = middle.y() - rim; y <= middle.y() + rim; ++y)
        for (int x = middle.x() - rim; x <= middle.x() + rim; ++x) {
          const QColor colour(picture.pixel(x, y));
          count += colour.red() > 200 && colour.green() < 120 && colour.blue() < 120;
        }
      return count;
    };
    QVERIFY(redPixelsAround(map.b) > 0);
    QCOMPARE(redPixelsAround(map.d), 0);
  }

  void exampleMapOpensInTheView() {
    tlp::Graph* example = loadExample();
    QVERIFY(example != nullptr);
    ShownWindow window;
    QVERIFY(window.show());
    QCOMPARE(shownComposite(window.view)->getGraph(), example);
    QCOMPARE(window.controller->nodeToNumObjects.size(), std::size_t(example->numberOfNodes()));
    // Station (cluster 1, time step 1) lists the 16 documents of line 1 of step1.obj.
    const tlp::node major = clusterTimeToNode.at(1).at(1), ordinary = clusterTimeToNode.at(1).at(2);
    QCOMPARE(window.controller->nodeToNumObjects.at(major), 16u);

    // The laid-out map as drawn: the solar line starts at a major station (white)
    // and passes an ordinary one (grey) at time step 2.
    window.view->draw(true);
    const QImage picture = window.picture();
    auto* isMajor = example->getProperty<tlp::BooleanProperty>("Is Major Station");
    QVERIFY(isMajor->getNodeValue(major) && !isMajor->getNodeValue(ordinary));
    QCOMPARE(QColor(picture.pixel(projectedCentre(window.view, example, major))),
             QColor(255, 255, 255));
    QCOMPARE(QColor(picture.pixel(projectedCentre(window.view, example, ordinary))),
             QColor(180, 180, 180));
  }

  void programExitsWithZeroWhenTheWindowIsClosed() {
    QProcess program;
    program.start(programPath("textferro"), exampleArguments());
    QVERIFY(program.waitForStarted());
    Display* display = XOpenDisplay(nullptr);
    QVERIFY(display != nullptr);
    Window window = 0;
    QTRY_VERIFY_WITH_TIMEOUT((window = viewableWindowTitled(display, "TextFerro")) != 0, 60000);
    // A user's click comes after the program has started its event loop.
    QTest::qWait(1000);
    // Ask the window to close, as a window manager's close button does.
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
  }
};

// As in the program: the graph library keeps GL objects of the first view in
// process-wide tables, so every view must share GL objects with it.
int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  TestFerroInterface test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_main_window.moc"
