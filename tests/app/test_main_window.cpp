// The main window driven as a user sees it: its first state, a rendered picture of
// the example map, the tag-cloud matrix kept in step with the colourings made
// through the map view, the detail windows opened from the clouds, and the
// program's exit code after the user closes its window.

#include "app/FerroInterface.h"
#include "clusterflow/TulipSetup.h"
#include "detail/DynamicGraphSmallMultiples.h"
#include "interaction/ClusterFlowInteractor.h"
#include "interaction/GlyphSetup.h"
#include "support/ExampleMap.h"
#include "tagcloud/tagcache.h"
#include "tagcloud/tagcloud.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QSet>
#include <QWheelEvent>
#include <QtTest>

#include <tulip/BooleanProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlLayer.h>

#include <X11/Xlib.h>

#include <memory>
#include <tuple>

namespace {

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

tlp::node station(int cluster, int time) {
  return clusterTimeToNode.at(cluster).at(time);
}

// Every tag of the station's tag file.
QSet<QString> tagsOf(tlp::node n) {
  QFile file(exampleDir + "/tags/energy" + nodeToFileId.at(n) + ".tags");
  const QStringList tags = loadTags(file).keys();
  return QSet<QString>(tags.begin(), tags.end());
}

// The words a cloud shows.
QSet<QString> wordsOf(QTagCloud* cloud) {
  QSet<QString> words;
  for (const TagPair& pair : cloud->pairs())
    words.insert(pair.first);
  return words;
}

// The main window on the loaded example, as the program shows it.
struct MainWindow {
  QMainWindow main{nullptr, Qt::WindowFlags()};
  FerroInterface controller{&main};

  MainWindow() {
    // An earlier window deleted the process's tag cache; set one up as the loader does.
    if (::tagCache == nullptr) {
      ::tagCache = new TagCache();
      ::tagCache->setTagDirPath(exampleDir + "/tags");
      ::tagCache->setTagFileExtension(".tags");
    }
    controller.initInterface();
  }
};

} // namespace

class TestFerroInterface : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() {
    initTulip();
    initGlyphs();
  }

  void windowStartsEmptyAndReplacesShownGraphs() {
    QMainWindow window(nullptr, Qt::WindowFlags());
    FerroInterface controller(&window);
    controller.initInterface();
    tlp::GlMainWidget* view = controller.ferroMapView;
    QVERIFY(view->getScene()->getGlGraphComposite() == nullptr && controller.tagCache == nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The controller itself draws nothing and must not cover the menu bar.
    const QRect file = window.menuBar()->actionGeometry(window.menuBar()->actions().value(0));
    QCOMPARE(window.childAt(window.menuBar()->mapTo(&window, file.center())),
             static_cast<QWidget*>(window.menuBar()));

    // Opening another graph replaces the shown entity and its input data: they
    // no longer listen to their graph.
    std::unique_ptr<tlp::Graph> first(tlp::newGraph()), second(tlp::newGraph());
    tlp::DataSet empty, withDisplaying;
    controller.openGraphOnGlWidget(first.get(), &empty, view);
    tlp::GlGraphRenderingParameters arrows;
    arrows.setViewArrow(true);
    withDisplaying.set("displaying", arrows.getParameters());
    const unsigned int listenersWhileShown = first->countListeners();
    controller.openGraphOnGlWidget(second.get(), &withDisplaying, view);
    QCOMPARE(view->getScene()->getLayer("Main")->getGlEntities().size(), std::size_t(1));
    QCOMPARE(view->getScene()->getGlGraphComposite()->getGraph(), second.get());
    QVERIFY(view->getScene()->getGlGraphComposite()->getRenderingParameters().isViewArrow());
    QVERIFY(first->countListeners() < listenersWhileShown);
  }

  void exampleMapIsShownAndNavigable() {
    graph = loadExample();
    QVERIFY(graph != nullptr);
    // A station without document or term lists counts as zero.
    const tlp::node major = station(1, 1), ordinary = station(1, 2);
    clusterTimeToIdListObjects.at(1).erase(2);
    clusterTimeToIdListFeatures.at(1).erase(2);
    QMainWindow main(nullptr, Qt::WindowFlags());
    auto* controller = new FerroInterface(&main);
    tlp::GlMainWidget* view = controller->ferroMapView;
    controller->initInterface();
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QCOMPARE(view->getScene()->getGlGraphComposite()->getGraph(), graph);
    QCOMPARE(controller->nodeToNumObjects.size(), std::size_t(graph->numberOfNodes()));
    // Station (cluster 1, time step 1) lists the 16 documents of line 1 of step1.obj.
    QCOMPARE(controller->nodeToNumObjects.at(major), 16u);
    QCOMPARE(controller->nodeToNumObjects.at(ordinary) + controller->nodeToNumFeatures.at(ordinary),
             0u);
    // The window keeps its own copy of the file ids.
    const NodeToFileId fileIds = nodeToFileId;
    nodeToFileId.clear();
    QCOMPARE(controller->nodeToFileId.at(major), fileIds.at(major));
    nodeToFileId = fileIds;

    // The laid-out map as drawn: the solar line starts at a major station (white)
    // and passes an ordinary one (grey) at time step 2.
    view->draw(true);
    const QImage picture = view->createPicture(view->width(), view->height(), false);
    QCOMPARE(QColor(picture.pixel(projectedCentre(view, graph, major))), QColor(255, 255, 255));
    QCOMPARE(QColor(picture.pixel(projectedCentre(view, graph, ordinary))), QColor(180, 180, 180));

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

  void cloudsFollowColouringsMembershipAndOrder() {
    MainWindow window;
    FerroInterface& c = window.controller;
    const tlp::node solar = station(1, 1), wind = station(2, 1);
    for (int index : {7, 2, 5})
      c.handleColourPathsChanged(index, idToColour[index], {solar});
    // Two clouds a row, in order of first use.
    QCOMPARE(c.tagCloudMatrix->itemAtPosition(1, 0)->widget(),
             static_cast<QWidget*>(c.tagCloudHash.value(5)));
    QCOMPARE(wordsOf(c.tagCloudHash.value(5)), tagsOf(solar));
    // Using a colour again keeps its cloud and its colour, and replaces its stations.
    QTagCloud* seven = c.tagCloudHash.value(7);
    c.handleColourPathsChanged(7, idToColour[0], {wind});
    QCOMPARE(c.tagCloudHash.value(7), seven);
    QCOMPARE(seven->tagColor(), QColor(254, 151, 41));
    QCOMPARE(wordsOf(seven), tagsOf(wind));

    // Leaving stations removes every occurrence of them.
    c.handleColourPathsChanged(4, idToColour[4], {solar, wind, solar});
    c.handleChangedMembership(4, {solar});
    QCOMPARE(c.fileNameHash.value(4), QStringList{"energy.t1.c2"});
    QCOMPARE(wordsOf(c.tagCloudHash.value(4)), tagsOf(wind));
    c.handleChangedMembership(4, {wind});
    QVERIFY(c.fileNameHash.value(4).isEmpty() && c.tagCloudHash.value(4)->pairs().isEmpty());
    // A colour that never had a cloud gets none.
    c.handleChangedMembership(9, {wind});
    QVERIFY(!c.tagCloudHash.contains(9));

    // The frequency order switches every cloud, also one of several stations.
    c.handleColourPathsChanged(2, idToColour[2], {station(3, 2), station(3, 3)});
    auto ordered = [&](bool byWeight) {
      for (QTagCloud* cloud : qAsConst(c.tagCloudHash)) {
        const QList<TagPair> pairs = cloud->pairs();
        for (int i = 1; i < pairs.size(); ++i)
          if (byWeight ? pairs[i - 1].second < pairs[i].second
                       : pairs[i - 1].first > pairs[i].first)
            return false;
      }
      return true;
    };
    QVERIFY(ordered(false));
    c.actionOrder_by_Frequency->setChecked(true);
    QVERIFY(ordered(true) && !ordered(false));
    c.actionOrder_by_Frequency->setChecked(false);
    QVERIFY(ordered(false));
  }

  void mapViewColoursFlowsAndCloudsOpenDetails() {
    const unsigned subgraphsBefore = graph->numberOfSubGraphs();
    {
      MainWindow window;
      // Every event redraws the map in software; a small window keeps that quick.
      window.main.resize(480, 360);
      window.main.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window.main));
      FerroInterface& c = window.controller;
      tlp::GlMainWidget* view = c.ferroMapView;
      auto* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");

      // The hydrogen line starts late, at cluster 9 of time step 5.
      const tlp::node hydrogen = station(9, 5);
      QTest::mouseClick(view, Qt::MiddleButton, Qt::NoModifier,
                        projectedCentre(view, graph, hydrogen));
      QVERIFY(selection->getNodeValue(hydrogen) && selection->getNodeValue(station(9, 6)));
      QTest::keyClick(view, Qt::Key_6);
      QTagCloud* cloud = c.tagCloudHash.value(6);
      QVERIFY(cloud != nullptr && !selection->getNodeValue(hydrogen));
      QStringList ids = c.fileNameHash.value(6); // in the graph's node order
      ids.sort();
      QCOMPARE(ids, (QStringList{"energy.t5.c9", "energy.t6.c9"}));
      QVERIFY((tagsOf(hydrogen) + tagsOf(station(9, 6))).contains(wordsOf(cloud)));
      // Its cloud opens the line's detail window: a cell per station with its
      // counts and tags.
      QTest::mouseClick(cloud->viewport(), Qt::LeftButton);
      QCOMPARE(c.detailView->smallMultiplesMatrix->count(), 2);
      for (int p = 0; p < 2; ++p) {
        const tlp::node n = station(9, 5 + p);
        QWidget* cell = c.detailView->smallMultiplesMatrix->itemAtPosition(0, p)->widget();
        QCOMPARE(cell->findChild<QLabel*>()->text(),
                 QString::fromStdString(createLabel(p, numObjects(n), numFeatures(n))));
        QVERIFY(numObjects(n) > 0 && !wordsOf(cell->findChild<QTagCloud*>()).isEmpty());
        QVERIFY(tagsOf(n).contains(wordsOf(cell->findChild<QTagCloud*>())));
      }

      // A long session: a thousand flow toggles and colourings and a hundred detail
      // windows must leave nothing behind once every colour has its cloud: the same
      // widgets, map properties and one detail subgraph. Memory itself is not
      // asserted: the software renderer grows for the first few hundred redraws, and
      // every OpenGL view the graph library makes leaves about 190 KiB inside it.
      const QPoint first = projectedCentre(view, graph, station(1, 1));
      const QPoint second = projectedCentre(view, graph, station(3, 1));
      auto census = [&] {
        return std::make_tuple(QApplication::allWidgets().size(), graph->numberOfSubGraphs(),
                               tlp::iteratorVector(graph->getLocalProperties()).size());
      };
      auto play = [&](int rounds, int details) {
        for (int round = 0; round < rounds; ++round) {
          QTest::mouseClick(view, Qt::MiddleButton, Qt::NoModifier, round % 2 ? first : second);
          QTest::keyClick(view, static_cast<Qt::Key>(Qt::Key_0 + round % 10));
        }
        for (int index = 0; index < details; ++index) {
          QTest::mouseClick(c.tagCloudHash.value(index % 10)->viewport(), Qt::LeftButton);
          QVERIFY(c.detailView->isVisible());
        }
        QCoreApplication::processEvents();
      };
      play(10, 10);
      const auto before = census();
      QCOMPARE(std::get<1>(before), subgraphsBefore + 1);
      play(1000, 100);
      QVERIFY(census() == before);
    }
    QCOMPARE(graph->numberOfSubGraphs(), subgraphsBefore);
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
    event.xclient = {ClientMessage,
                     0,
                     False,
                     display,
                     window,
                     XInternAtom(display, "WM_PROTOCOLS", False),
                     32,
                     {}};
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
  }

private:
  tlp::Graph* graph = nullptr;
};

// As in the program: the graph library keeps GL objects of the first view in
// process-wide tables, so every view must share GL objects with it.
int main(int argc, char** argv) {
  // The long session's thousand software-rendered redraws take longer than Qt Test's
  // default five minutes on a slow machine under the sanitizers.
  qputenv("QTEST_FUNCTION_TIMEOUT", "1500000");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  TestFerroInterface test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_main_window.moc"
