// The main window driven as a user sees it: its first state, a rendered picture of
// the example map and its navigation, the tag-cloud matrix kept in step with the
// colourings, undos and redos made through the map view, the detail window opened
// from the clouds, and the program's exit code after the user closes or quits it.

#include "app/FerroInterface.h"
#include "clusterflow/TulipSetup.h"
#include "detail/DynamicGraphSmallMultiples.h"
#include "interaction/ClusterFlowInteractor.h"
#include "interaction/GlyphSetup.h"
#include "interaction/GraphViewTools.h"
#include "interaction/MapGlWidget.h"
#include "support/ExampleMap.h"
#include "support/MapSession.h"
#include "tagcloud/tagcache.h"
#include "tagcloud/tagcloud.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QToolTip>
#include <QWheelEvent>
#include <QtTest>

#include <tulip/BooleanProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlGraphInputData.h>
#include <tulip/GlLayer.h>
#include <tulip/IntegerProperty.h>
#include <tulip/TulipViewSettings.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstdlib>
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

// The words a cloud shows; none without a cloud.
QSet<QString> wordsOf(QTagCloud* cloud) {
  QSet<QString> words;
  for (const TagPair& pair : cloud != nullptr ? cloud->pairs() : QList<TagPair>())
    words.insert(pair.first);
  return words;
}

// Counts the paint events of a widget.
struct PaintCounter : QObject {
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    count += event->type() == QEvent::Paint ? 1 : 0;
    return false;
  }
  int count = 0;
};

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

    // Lines a pixel long when the graph is fitted are drawn straight; the graph
    // keeps its curves, and the view draws them again when asked.
    const tlp::node a = second->addNode(), b = second->addNode(), far = second->addNode();
    const tlp::edge line = second->addEdge(a, b);
    auto* shapes = second->getProperty<tlp::IntegerProperty>("viewShape");
    shapes->setEdgeValue(line, tlp::EdgeShape::CatmullRomCurve);
    second->getProperty<tlp::LayoutProperty>("viewLayout")->setNodeValue(b, tlp::Coord(1, 0, 0));
    second->getProperty<tlp::LayoutProperty>("viewLayout")->setNodeValue(far, tlp::Coord(0, 900, 0));
    QVERIFY(hasShortLinesWhenFitted(second.get()));
    MapGlWidget* mapView = controller.ferroMapView;
    mapView->setPlainLines(true);
    QVERIFY(mapView->hasPlainLines() && !view->getScene()->getGlGraphComposite()->isVisible());
    QCOMPARE(shapes->getEdgeValue(line), int(tlp::EdgeShape::CatmullRomCurve));
    mapView->setPlainLines(false);
    QVERIFY(!mapView->hasPlainLines() && view->getScene()->getGlGraphComposite()->isVisible());
    // A new graph entity is drawn by the library; the view's own drawing of the
    // old one, deleted with it, draws nothing.
    mapView->setPlainLines(true);
    controller.openGraphOnGlWidget(first.get(), &empty, view);
    QVERIFY(!mapView->hasPlainLines());
    view->createPicture(10, 10, false);
  }

  void exampleMapIsShownAndNavigable() {
    // The loader tells of its stages, for the progress dialog, to their end, and of
    // the headway within them; the bar never goes back.
    std::vector<int> toDo;
    std::string stage;
    int last = 0;
    bool forward = true;
    setLoadProgress([&](const char* name, int done, int total) {
      forward = forward && done >= last;
      last = done;
      if (name != stage)
        toDo.push_back((total - done) / kLoadProgressSteps);
      stage = name;
    });
    graph = loadExample();
    setLoadProgress(nullptr);
    QVERIFY(graph != nullptr);
    QVERIFY(forward);
    QCOMPARE(toDo, (std::vector<int>{6, 5, 4, 3, 2, 1, 0}));
    // A station without document or term lists counts as zero.
    const tlp::node major = station(1, 1), ordinary = station(1, 2);
    clusterTimeToIdListObjects.at(1).erase(2);
    clusterTimeToIdListFeatures.at(1).erase(2);
    QMainWindow main(nullptr, Qt::WindowFlags());
    auto* controller = new FerroInterface(&main);
    tlp::GlMainWidget* view = controller->ferroMapView;
    controller->initInterface();
    // The window tells why its map is empty until the map is drawn.
    QCOMPARE(main.statusBar()->currentMessage(), QString("Drawing the map..."));
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTRY_VERIFY(main.statusBar()->currentMessage().isEmpty());
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
    // The line between them keeps its curve, which passes half-way between them.
    auto* layout = graph->getProperty<tlp::LayoutProperty>("viewLayout");
    const QPoint halfWay = projected(view, (layout->getNodeValue(major) + layout->getNodeValue(ordinary)) / 2.f);
    QVERIFY(graph->existEdge(major, ordinary).isValid() && !controller->ferroMapView->hasPlainLines());
    QVERIFY(qGray(picture.pixel(halfWay)) < 220);

    // Drawn by the view itself, as large maps are, stations keep their colours,
    // the pointer finds stations and lines, and a selected line takes the
    // selection colour.
    auto* mapView = controller->ferroMapView;
    mapView->setPlainLines(true);
    const tlp::edge line = graph->existEdge(major, ordinary);
    std::vector<tlp::Coord> chain = layout->getEdgeValue(line);
    chain.insert(chain.begin(), layout->getNodeValue(major));
    chain.push_back(layout->getNodeValue(ordinary));
    std::size_t longest = 0;
    for (std::size_t k = 1; k + 1 < chain.size(); ++k)
      if (chain[k].dist(chain[k + 1]) > chain[longest].dist(chain[longest + 1]))
        longest = k;
    const QPoint onLine = projected(view, (chain[longest] + chain[longest + 1]) / 2.f);
    tlp::SelectedEntity picked;
    QVERIFY(pickElement(view, onLine.x(), onLine.y(), picked) && picked.getEdge() == line);
    const QPoint atMajor = projectedCentre(view, graph, major);
    QVERIFY(pickElement(view, atMajor.x(), atMajor.y(), picked) && picked.getNode() == major);
    auto* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");
    selection->setEdgeValue(line, true);
    const QImage flat = view->createPicture(view->width(), view->height(), false);
    selection->setEdgeValue(line, false);
    mapView->setPlainLines(false);
    QCOMPARE(QColor(flat.pixel(atMajor)), QColor(255, 255, 255));
    QCOMPARE(QColor(flat.pixel(projectedCentre(view, graph, ordinary))), QColor(180, 180, 180));
    const tlp::Color selected =
        view->getScene()->getGlGraphComposite()->getRenderingParameters().getSelectionColor();
    // (The line's smoothed edge may pass through the pixel.)
    const QColor drawn(flat.pixel(onLine));
    QVERIFY(std::abs(drawn.red() - selected[0]) + std::abs(drawn.green() - selected[1]) +
                std::abs(drawn.blue() - selected[2]) < 40);

    // While nothing changes nothing is drawn.
    QTest::qWait(200);
    PaintCounter paints(view);
    QTest::qWait(300);
    QCOMPARE(paints.count, 0);

    // Hovering a station tells what it is.
    const QPoint at = projectedCentre(view, graph, major);
    QHelpEvent help(QEvent::ToolTip, at, view->mapToGlobal(at));
    QApplication::sendEvent(view, &help);
    QVERIFY(QToolTip::text().startsWith("Time step 1, cluster 1\n16 documents, "));

    // The wheel keeps the station under the pointer in place; as many notches back
    // return to the same view. Arrows pan by a tenth of the view; Fit Map shows all.
    tlp::Camera& camera = view->getScene()->getGraphCamera();
    const tlp::Camera first = camera;
    auto wheel = [&](int notches) {
      QWheelEvent event(at, view->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(view, &event);
    };
    for (int notches : {1, 1, 1})
      wheel(notches);
    QVERIFY((projectedCentre(view, graph, major) - at).manhattanLength() <= 2);
    QVERIFY(camera.getZoomFactor() > 1.5 * first.getZoomFactor());
    for (int notches : {-1, -1, -1})
      wheel(notches);
    QVERIFY(camera.getCenter().dist(first.getCenter()) < 1e-3f * camera.getSceneRadius());
    QTest::keyClick(view, Qt::Key_Left);
    QVERIFY(std::abs(projectedCentre(view, graph, major).x() - at.x() - view->width() / 10) <= 1);
    QTest::keyClick(view, Qt::Key_Up);
    QVERIFY(std::abs(projectedCentre(view, graph, major).y() - at.y() - view->height() / 10) <= 1);
    wheel(-12);
    controller->actionFit_Map->trigger();
    for (tlp::node n : graph->nodes())
      QVERIFY(view->rect().contains(projectedCentre(view, graph, n)));
    QVERIFY((projectedCentre(view, graph, major) - at).manhattanLength() <= 1);
    // A double click, which the library uses to walk into grouped nodes, must
    // be harmless on a map without any.
    QTest::mouseDClick(view, Qt::LeftButton, Qt::NoModifier, at);

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

    // Leaving stations removes every occurrence of them; a colour left without
    // stations loses its cloud, and the other clouds keep their places.
    c.handleColourPathsChanged(4, idToColour[4], {solar, wind, solar});
    c.handleChangedMembership(4, {solar});
    QCOMPARE(c.fileNameHash.value(4), QStringList{"energy.t1.c2"});
    QCOMPARE(wordsOf(c.tagCloudHash.value(4)), tagsOf(wind));
    c.handleChangedMembership(2, {solar});
    c.handleChangedMembership(9, {wind});
    QVERIFY(!c.tagCloudHash.contains(2) && !c.fileNameHash.contains(2) &&
            !c.tagCloudHash.contains(9));
    QCOMPARE(c.tagCloudMatrix->itemAtPosition(1, 1)->widget(),
             static_cast<QWidget*>(c.tagCloudHash.value(4)));

    // The frequency order switches every cloud, also one of several stations, and a
    // new cloud takes the order that is checked, in the first free place.
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
    c.actionOrder_by_Frequency->setChecked(true);
    c.handleColourPathsChanged(3, idToColour[3], {station(3, 2), station(3, 3)});
    QCOMPARE(c.tagCloudMatrix->itemAtPosition(0, 1)->widget(),
             static_cast<QWidget*>(c.tagCloudHash.value(3)));
    QVERIFY(ordered(true) && !ordered(false));
    c.actionOrder_by_Frequency->setChecked(false);
    QVERIFY(ordered(false));
  }

  // A first detail window, asked for before any colouring, shows an empty view and
  // says why; closing the main window beside it ends the event loop.
  void closingTheMainWindowEndsTheProgram() {
    MainWindow window;
    window.main.show();
    DynamicGraphSmallMultiples* details = window.controller.detailView;
    window.controller.handleTagCloudClicked(0);
    QVERIFY(QTest::qWaitForWindowExposed(details));
    QTest::qWait(50);
    QCOMPARE(details->statusBar->currentMessage(), QString("No roots detected."));
    QTimer::singleShot(100, &window.main, &QWidget::close);
    // Should the detail window keep the event loop going, this ends it with 1.
    QTimer::singleShot(10000, [] { QApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
  }

  void mapViewColoursFlowsAndCloudsOpenDetails() {
    const unsigned subgraphsBefore = graph->numberOfSubGraphs();
    {
      MainWindow window;
      // Every event redraws the map in software; a small window keeps that quick.
      window.main.resize(480, 360);
      window.main.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window.main));
      // The shortcuts of the Edit menu need the window active; there is no window
      // manager to make it so.
      QApplication::setActiveWindow(&window.main);
      FerroInterface& c = window.controller;
      tlp::GlMainWidget* view = c.ferroMapView;
      DynamicGraphSmallMultiples* details = c.detailView;
      auto* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");
      auto click = [&](tlp::node n) {
        QTest::mouseClick(view, Qt::MiddleButton, Qt::NoModifier, projectedCentre(view, graph, n));
      };

      // The hydrogen line starts late, at cluster 9 of time step 5.
      const tlp::node hydrogen = station(9, 5), end = station(9, 6);
      click(hydrogen);
      QVERIFY(selection->getNodeValue(hydrogen) && selection->getNodeValue(end));
      QTest::keyClick(view, Qt::Key_6);
      QTagCloud* cloud = c.tagCloudHash.value(6);
      QVERIFY(cloud != nullptr && !selection->getNodeValue(hydrogen));
      QStringList ids = c.fileNameHash.value(6); // in the graph's node order
      ids.sort();
      QCOMPARE(ids, (QStringList{"energy.t5.c9", "energy.t6.c9"}));
      const QSet<QString> words = wordsOf(cloud);
      QVERIFY((tagsOf(hydrogen) + tagsOf(end)).contains(words));
      // The same colour again keeps the stations in its cloud.
      click(hydrogen);
      QTest::keyClick(view, Qt::Key_6);
      QCOMPARE(wordsOf(c.tagCloudHash.value(6)), words);

      // Its cloud opens the line's detail window: a cell per station with its time
      // step, counts and tags, and where the reader is.
      QTest::mouseClick(cloud->viewport(), Qt::LeftButton);
      QCOMPARE(details->smallMultiplesMatrix->count(), 2);
      for (int p = 0; p < 2; ++p) {
        const tlp::node n = station(9, 5 + p);
        QWidget* cell = details->smallMultiplesMatrix->itemAtPosition(0, p)->widget();
        QCOMPARE(cell->findChild<QLabel*>()->text(),
                 QString::fromStdString(createLabel(5 + p, numObjects(n), numFeatures(n))));
        QVERIFY(numObjects(n) > 0 && !wordsOf(cell->findChild<QTagCloud*>()).isEmpty());
        QVERIFY(tagsOf(n).contains(wordsOf(cell->findChild<QTagCloud*>())));
      }
      QCOMPARE(details->statusBar->currentMessage(), QString("Path 1 of 1 - stations 1 to 2 of 2"));
      // Recolouring the colour shown rebuilds the window.
      click(end);
      QTest::keyClick(view, Qt::Key_2);
      QCOMPARE(details->smallMultiplesMatrix->count(), 1);

      // The whole line coloured 3 leaves colours 6 and 2 without stations: their
      // clouds go and the window closes. A digit with nothing selected makes no cloud.
      click(hydrogen);
      QTest::keyClick(view, Qt::Key_3);
      QVERIFY(!c.tagCloudHash.contains(6) && !c.tagCloudHash.contains(2) && !details->isVisible());
      QTest::keyClick(view, Qt::Key_8);
      QVERIFY(!c.tagCloudHash.contains(8));

      // Undo and redo of the colouring: the clouds follow the restored colours.
      QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
      QVERIFY(c.tagCloudHash.contains(6) && c.tagCloudHash.contains(2) &&
              !c.tagCloudHash.contains(3) && selection->getNodeValue(hydrogen));
      QVERIFY(tagsOf(hydrogen).contains(wordsOf(c.tagCloudHash.value(6))));
      QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
      QVERIFY(!c.tagCloudHash.contains(6) && !c.tagCloudHash.contains(2) &&
              c.tagCloudHash.contains(3) && !selection->getNodeValue(hydrogen));

      // The exported picture shows the line in its path colour.
      QTemporaryDir dir;
      QString error;
      QVERIFY(!c.exportMapTo(dir.filePath("map.tlp"), error) && error.contains(".svg"));
      QVERIFY2(c.exportMapTo(dir.filePath("map.svg"), error), qPrintable(error));
      QFile svg(dir.filePath("map.svg"));
      const tlp::Color three = idToColour[3];
      QVERIFY(svg.open(QIODevice::ReadOnly) &&
              svg.readAll().contains(
                  QColor(three.getR(), three.getG(), three.getB()).name().toLatin1()));

      // Many toggles, colourings and detail windows leave nothing behind: the same
      // widgets, map properties and one detail subgraph. (bench/soak_main_window
      // plays a long session.)
      const QPoint first = projectedCentre(view, graph, station(1, 1));
      const QPoint second = projectedCentre(view, graph, station(3, 1));
      playColourings(view, first, second, 10);
      openDetailWindows(&window.main, 10);
      const auto before = sessionCensus(graph);
      QCOMPARE(std::get<1>(before), subgraphsBefore + 1);
      playColourings(view, first, second, 20);
      openDetailWindows(&window.main, 10);
      QVERIFY(sessionCensus(graph) == before);
    }
    QCOMPARE(graph->numberOfSubGraphs(), subgraphsBefore);
  }

  void programExitsWithZeroOnQuit() {
    QProcess program;
    program.start(programPath("textferro"), exampleArguments());
    QVERIFY(program.waitForStarted());
    Display* display = XOpenDisplay(nullptr);
    QVERIFY(display != nullptr);
    Window window = 0;
    QTRY_VERIFY_WITH_TIMEOUT((window = viewableWindowTitled(display, "TextFerro")) != 0, 60000);
    // A user's click comes after the program has started its event loop.
    QTest::qWait(1000);
    // Ctrl+Q, typed into the focused window.
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XFlush(display);
    QTest::qWait(500);
    XEvent event = {};
    event.xkey = {KeyPress,    0,
                  False,       display,
                  window,      DefaultRootWindow(display),
                  None,        CurrentTime,
                  1,           1,
                  1,           1,
                  ControlMask, XKeysymToKeycode(display, XK_q),
                  True};
    XSendEvent(display, window, True, KeyPressMask, &event);
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
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  TestFerroInterface test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_main_window.moc"
