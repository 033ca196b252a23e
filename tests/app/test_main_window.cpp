// The main window and its map view, driven as a user sees them: the window's
// structure and first state, the graph shown with the program's rendering
// settings, a rendered picture of the example map, and the program's exit code
// after the user closes its window.

#include "app/FerroInterface.h"
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
#include <tulip/DataSet.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlLayer.h>

#include <X11/Xlib.h>

#include <memory>

namespace {

tlp::GlGraphComposite* shownComposite(tlp::GlMainWidget* view) {
  return view->getScene()->getGlGraphComposite();
}

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

  void windowStartsLaidOutAndEmpty() {
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

    // Opening another graph replaces the shown entity and its input data: they
    // no longer listen to their graph.
    tlp::GlMainWidget* view = controller.ferroMapView;
    std::unique_ptr<tlp::Graph> first(tlp::newGraph()), second(tlp::newGraph());
    tlp::DataSet empty, withDisplaying;
    controller.openGraphOnGlWidget(first.get(), &empty, view);
    tlp::GlGraphRenderingParameters arrows;
    arrows.setViewArrow(true);
    withDisplaying.set("displaying", arrows.getParameters());
    const unsigned int listenersWhileShown = first->countListeners();
    controller.openGraphOnGlWidget(second.get(), &withDisplaying, view);
    QCOMPARE(view->getScene()->getLayer("Main")->getGlEntities().size(), std::size_t(1));
    QCOMPARE(shownComposite(view)->getGraph(), second.get());
    QVERIFY(shownComposite(view)->getRenderingParameters().isViewArrow());
    QVERIFY(first->countListeners() < listenersWhileShown);
    QVERIFY(!view->createPicture(200, 100, true).isNull());
  }

  void exampleMapIsShownAndNavigable() {
    tlp::Graph* example = loadExample();
    QVERIFY(example != nullptr);
    // A station without document or term lists counts as zero.
    const tlp::node major = clusterTimeToNode.at(1).at(1), ordinary = clusterTimeToNode.at(1).at(2);
    clusterTimeToIdListObjects.at(1).erase(2);
    clusterTimeToIdListFeatures.at(1).erase(2);
    TagCache* processCache = ::tagCache;
    processCache->setTopCount(3);
    QMainWindow main(nullptr, Qt::WindowFlags());
    auto* controller = new FerroInterface(&main);
    tlp::GlMainWidget* view = controller->ferroMapView;
    controller->initInterface();
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));

    tlp::GlGraphComposite* composite = shownComposite(view);
    QVERIFY(composite != nullptr);
    QCOMPARE(composite->getGraph(), example);
    const tlp::GlGraphRenderingParameters& parameters = composite->getRenderingParameters();
    QVERIFY(!parameters.isViewArrow() && parameters.isAntialiased() &&
            parameters.isViewNodeLabel());
    QVERIFY(!parameters.isEdgeColorInterpolate() && parameters.isEdgeSizeInterpolate());
    QCOMPARE(parameters.getSelectionColor(), tlp::Color(255, 50, 50, 245));
    QCOMPARE(controller->tagCache, processCache);
    QCOMPARE(processCache->topCount(), 15);
    QCOMPARE(controller->nodeToNumObjects.size(), std::size_t(example->numberOfNodes()));
    // Station (cluster 1, time step 1) lists the 16 documents of line 1 of step1.obj.
    QCOMPARE(controller->nodeToNumObjects.at(major), 16u);
    QCOMPARE(controller->nodeToNumObjects.at(ordinary), 0u);
    QCOMPARE(controller->nodeToNumFeatures.at(ordinary), 0u);
    // The window keeps its own copy of the file ids.
    const QString fileId = nodeToFileId.at(major);
    nodeToFileId.clear();
    QCOMPARE(controller->nodeToFileId.at(major), fileId);

    // The laid-out map as drawn: the solar line starts at a major station (white)
    // and passes an ordinary one (grey) at time step 2.
    view->draw(true);
    const QImage picture = view->createPicture(view->width(), view->height(), false);
    auto* isMajor = example->getProperty<tlp::BooleanProperty>("Is Major Station");
    QVERIFY(isMajor->getNodeValue(major) && !isMajor->getNodeValue(ordinary));
    QCOMPARE(QColor(picture.pixel(projectedCentre(view, example, major))), QColor(255, 255, 255));
    QCOMPARE(QColor(picture.pixel(projectedCentre(view, example, ordinary))),
             QColor(180, 180, 180));

    const tlp::Camera& camera = view->getScene()->getGraphCamera();
    const double zoom = camera.getZoomFactor();
    const QPoint middle = view->rect().center();
    QWheelEvent wheel(middle, view->mapToGlobal(middle), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    QVERIFY(camera.getZoomFactor() != zoom);
    const tlp::Coord centre = camera.getCenter();
    QTest::keyClick(view, Qt::Key_Left);
    QVERIFY(camera.getCenter() != centre);
    // A double click, which the library uses to walk into grouped nodes, must
    // be harmless on a map without any.
    QTest::mouseDClick(view, Qt::LeftButton, Qt::NoModifier, middle);

    // The controller frees the tag cache; the view outlives it and keeps working
    // without its navigators.
    QPointer<TagCache> cache = ::tagCache;
    delete controller;
    QVERIFY(cache.isNull() && ::tagCache == nullptr);
    QTest::keyClick(view, Qt::Key_Left);
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
