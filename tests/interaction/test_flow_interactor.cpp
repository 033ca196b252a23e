// The flow interactor driven through a real map view: synthetic middle clicks at the
// projected screen positions of stations and edges, and key presses on the view.

#include "clusterflow/TulipSetup.h"
#include "interaction/ClusterFlowCoR.h"
#include "interaction/ClusterFlowInteractor.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlLayer.h>
#include <tulip/GlMainWidget.h>
#include <tulip/IntegerProperty.h>
#include <tulip/LayoutProperty.h>
#include <tulip/MouseInteractors.h>
#include <tulip/PluginLister.h>
#include <tulip/SizeProperty.h>

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QtTest>

#include <memory>

namespace {

// Counts the presses that got past the filters installed after it.
class EventRecorder : public QObject {
public:
  bool eventFilter(QObject*, QEvent* event) override {
    seen += event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress;
    return false;
  }
  size_t seen = 0;
};

// The signals of one colouring, in the order they came.
struct Emission {
  QString signal;
  int index;
  std::vector<tlp::node> nodes;
  bool operator==(const Emission& other) const {
    return signal == other.signal && index == other.index && nodes == other.nodes;
  }
};

// A graph shown in a map view, with the recorder behind the interactor as the
// navigators are in the main window.
class MapView {
public:
  MapView() : graph(tlp::newGraph()) {
    widget.resize(800, 600);
    QObject::connect(&interactor, &ClusterFlowInteractor::colourPathsChanged,
                     [this](int index, tlp::Color colour, std::vector<tlp::node> nodes) {
                       colours.push_back(colour);
                       emissions.push_back({"colourPathsChanged", index, nodes});
                     });
    QObject::connect(&interactor, &ClusterFlowInteractor::changedMembership,
                     [this](int index, std::vector<tlp::node> nodes) {
                       emissions.push_back({"changedMembership", index, nodes});
                     });
  }

  ~MapView() {
    widget.removeEventFilter(&interactor);
    widget.removeEventFilter(&recorder);
  }

  tlp::node station(float x, float y, bool dummy = false) {
    tlp::node n = graph->addNode();
    graph->getProperty<tlp::LayoutProperty>("viewLayout")->setNodeValue(n, tlp::Coord(x, y, 0));
    graph->getProperty<tlp::SizeProperty>("viewSize")->setNodeValue(n, tlp::Size(1, 1, 1));
    if (dummy)
      graph->getLocalProperty<tlp::BooleanProperty>("Is Dummy")->setNodeValue(n, true);
    return n;
  }

  // Puts the graph on screen; call once the graph is complete.
  void show() {
    auto* layer = new tlp::GlLayer("Main");
    widget.getScene()->addExistingLayer(layer);
    layer->addGlEntity(new tlp::GlGraphComposite(graph.get()), "graph");
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    widget.getScene()->centerScene();
    widget.draw(true);
    QCoreApplication::processEvents();
    widget.installEventFilter(&recorder);
    widget.installEventFilter(&interactor);
  }

  QPoint screenPosition(const tlp::Coord& world) {
    widget.makeCurrent();
    tlp::Coord viewport = widget.getScene()->getGraphCamera().worldTo2DViewport(world);
    tlp::Coord screen = widget.viewportToScreen(viewport);
    return QPoint(qRound(screen.x()), widget.height() - qRound(screen.y()));
  }

  QPoint screenPosition(tlp::node n) {
    return screenPosition(graph->getProperty<tlp::LayoutProperty>("viewLayout")->getNodeValue(n));
  }

  QPoint screenPosition(tlp::edge e) {
    auto* layout = graph->getProperty<tlp::LayoutProperty>("viewLayout");
    return screenPosition(
        (layout->getNodeValue(graph->source(e)) + layout->getNodeValue(graph->target(e))) / 2.f);
  }

  template <typename Element> void middleClick(Element element) {
    press(screenPosition(element), Qt::MiddleButton, Qt::MiddleButton);
  }

  void press(QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), button, held,
                      Qt::NoModifier);
    seenBeforeLastPress = recorder.seen;
    QApplication::sendEvent(&widget, &event);
  }

  void key(int code) {
    QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
    seenBeforeLastPress = recorder.seen;
    QApplication::sendEvent(&widget, &event);
  }

  // Whether the last press went past the interactor.
  bool passedOn() const { return recorder.seen > seenBeforeLastPress; }

  tlp::BooleanProperty* selection() {
    return graph->getProperty<tlp::BooleanProperty>("viewSelection");
  }

  std::vector<tlp::node> selectedNodes() {
    std::vector<tlp::node> result;
    for (tlp::node n : graph->nodes())
      if (selection()->getNodeValue(n))
        result.push_back(n);
    return result;
  }

  std::vector<tlp::edge> selectedEdges() {
    std::vector<tlp::edge> result;
    for (tlp::edge e : graph->edges())
      if (selection()->getEdgeValue(e))
        result.push_back(e);
    return result;
  }

  std::unique_ptr<tlp::Graph> graph;
  tlp::GlMainWidget widget;
  EventRecorder recorder;
  ClusterFlowInteractor interactor;
  size_t seenBeforeLastPress = 0;
  std::vector<Emission> emissions;
  std::vector<tlp::Color> colours;
};

using Nodes = std::vector<tlp::node>;
using Edges = std::vector<tlp::edge>;

} // namespace

class TestFlowInteractor : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { initTulip(); }

  // a -> b -> c, b -> d, x -> b, y -> c
  void nodeFlowSelectsDownstreamAndDeselectionClearsIncomingEdges() {
    MapView map;
    tlp::node a = map.station(0, 0), b = map.station(4, 0), c = map.station(8, 0),
              d = map.station(8, -4), x = map.station(0, -4), y = map.station(4, 4);
    map.graph->addEdge(a, b);
    tlp::edge bc = map.graph->addEdge(b, c), bd = map.graph->addEdge(b, d),
              xb = map.graph->addEdge(x, b), yc = map.graph->addEdge(y, c);
    map.selection()->setNodeValue(x, true);
    map.selection()->setEdgeValue(xb, true);
    map.show();

    map.middleClick(b);
    QVERIFY(!map.passedOn());
    QCOMPARE(map.selectedNodes(), (Nodes{b, c, d, x}));
    QCOMPARE(map.selectedEdges(), (Edges{bc, bd, xb}));
    QVERIFY(map.graph->canPop());

    map.selection()->setNodeValue(y, true);
    map.selection()->setEdgeValue(yc, true);
    map.middleClick(b);
    QCOMPARE(map.selectedNodes(), (Nodes{x, y}));
    QCOMPARE(map.selectedEdges(), Edges{});
  }

  void edgeFlowKeepsTheSourceSelectedOnDeselection() {
    MapView map;
    tlp::node a = map.station(0, 0), b = map.station(4, 0), c = map.station(8, 0),
              d = map.station(8, -4), x = map.station(0, -4);
    tlp::edge ab = map.graph->addEdge(a, b), bc = map.graph->addEdge(b, c),
              bd = map.graph->addEdge(b, d);
    map.graph->addEdge(x, a);
    map.show();

    map.middleClick(ab);
    QVERIFY(!map.passedOn());
    QCOMPARE(map.selectedNodes(), (Nodes{a, b, c, d}));
    QCOMPARE(map.selectedEdges(), (Edges{ab, bc, bd}));

    map.middleClick(ab);
    QCOMPARE(map.selectedNodes(), Nodes{a});
    QCOMPARE(map.selectedEdges(), Edges{});
  }

  // s -> d1 -> d2 -> t -> u with two dummy nodes, as before the dummy chains are removed.
  void flowsPassThroughDummyChainsWithoutSelectingThem() {
    MapView map;
    tlp::node r = map.station(-4, 0), s = map.station(0, 0), d1 = map.station(4, 0, true),
              d2 = map.station(8, 0, true), t = map.station(12, 0), u = map.station(16, 0);
    tlp::edge rs = map.graph->addEdge(r, s);
    map.graph->addEdge(s, d1);
    map.graph->addEdge(d1, d2);
    map.graph->addEdge(d2, t);
    tlp::edge tu = map.graph->addEdge(t, u);
    map.show();

    map.middleClick(s);
    QCOMPARE(map.selectedNodes(), (Nodes{s, t, u}));
    QCOMPARE(map.selectedEdges(), Edges{tu});
    map.middleClick(s);
    QCOMPARE(map.selectedNodes(), Nodes{});

    map.middleClick(rs);
    QCOMPARE(map.selectedNodes(), (Nodes{r, s, t, u}));
    QCOMPARE(map.selectedEdges(), (Edges{rs, tu}));

    // A click on a dummy node changes nothing but still walks on.
    map.selection()->setAllNodeValue(false);
    map.selection()->setAllEdgeValue(false);
    map.middleClick(d2);
    QCOMPARE(map.selectedNodes(), (Nodes{t, u}));
    Q_UNUSED(d1);
  }

  // p -> q -> r and s -> t -> r: the second flow meets the first at r.
  void aSecondFlowStopsWhereTheFirstAlreadyIs() {
    MapView map;
    tlp::node p = map.station(0, 0), q = map.station(4, 0), r = map.station(8, 2),
              s = map.station(0, 4), t = map.station(4, 4), w = map.station(12, 2);
    tlp::edge pq = map.graph->addEdge(p, q), qr = map.graph->addEdge(q, r),
              st = map.graph->addEdge(s, t), tr = map.graph->addEdge(t, r),
              rw = map.graph->addEdge(r, w);
    map.show();

    map.middleClick(p);
    map.middleClick(s);
    QCOMPARE(map.selectedNodes(), (Nodes{p, q, r, s, t, w}));
    QCOMPARE(map.selectedEdges(), (Edges{pq, qr, st, tr, rw}));

    map.key(Qt::Key_Escape);
    map.middleClick(p);
    map.middleClick(st);
    QCOMPARE(map.selectedNodes(), (Nodes{p, q, r, s, t, w}));
    QCOMPARE(map.selectedEdges(), (Edges{pq, qr, st, rw}));
  }

  void otherButtonsAndEmptySpotsAreLeftToTheNavigators() {
    MapView map;
    tlp::node a = map.station(0, 0), b = map.station(4, 0);
    map.graph->addEdge(a, b);
    map.show();
    const QPoint onA = map.screenPosition(a);

    map.press(onA, Qt::LeftButton, Qt::LeftButton);
    QVERIFY(map.passedOn());
    map.press(onA, Qt::RightButton, Qt::RightButton);
    QVERIFY(map.passedOn());
    map.press(onA, Qt::MiddleButton, Qt::MiddleButton | Qt::LeftButton);
    QVERIFY(map.passedOn());
    QCOMPARE(map.selectedNodes(), Nodes{});

    // A middle click on nothing is taken but changes nothing and records no undo point.
    map.press(map.screenPosition(tlp::Coord(2, 3, 0)), Qt::MiddleButton, Qt::MiddleButton);
    QVERIFY(!map.passedOn());
    QCOMPARE(map.selectedNodes(), Nodes{});
    QVERIFY(!map.graph->canPop());
  }

  // n0 -> n1 (major) -> n3 -> n4 and n2 a dummy; n5 alone.
  void colouringPaintsTheSelectionAndCreatesColourIds() {
    MapView map;
    tlp::node n0 = map.station(0, 0), n1 = map.station(4, 0), n2 = map.station(4, 4, true),
              n3 = map.station(8, 0), n4 = map.station(12, 0), n5 = map.station(12, 4);
    tlp::edge opaque = map.graph->addEdge(n0, n1), vanish = map.graph->addEdge(n1, n3),
              transparent = map.graph->addEdge(n3, n4);
    auto* fill = map.graph->getProperty<tlp::ColorProperty>("viewColor");
    auto* border = map.graph->getProperty<tlp::ColorProperty>("viewBorderColor");
    const tlp::Color grey(180, 180, 180, 255), white(255, 255, 255, 255);
    fill->setAllNodeValue(grey);
    border->setAllNodeValue(grey);
    fill->setNodeValue(n1, white);
    map.graph->getLocalProperty<tlp::BooleanProperty>("Is Major Station")->setNodeValue(n1, true);
    fill->setEdgeValue(opaque, grey);
    fill->setEdgeValue(vanish, tlp::Color(180, 180, 180, 70));
    border->setEdgeValue(vanish, grey);
    fill->setEdgeValue(transparent, tlp::Color(255, 255, 255, 0));
    border->setEdgeValue(transparent, tlp::Color(255, 255, 255, 0));
    for (tlp::node n : {n0, n1, n2})
      map.selection()->setNodeValue(n, true);
    for (tlp::edge e : {opaque, vanish, transparent})
      map.selection()->setEdgeValue(e, true);
    map.show();
    QVERIFY(!map.graph->existProperty("Colour ID"));

    map.key(Qt::Key_9);
    QVERIFY(!map.passedOn());
    const tlp::Color black(0, 0, 0, 255);
    auto* colourIds = map.graph->getLocalProperty<tlp::IntegerProperty>("Colour ID");
    QCOMPARE(colourIds->getNodeValue(n0), 9);
    QCOMPARE(colourIds->getNodeValue(n1), 9);
    for (tlp::node n : {n2, n3, n4, n5})
      QCOMPARE(colourIds->getNodeValue(n), -1);
    QCOMPARE(fill->getNodeValue(n0), black);
    QCOMPARE(border->getNodeValue(n0), black);
    QCOMPARE(fill->getNodeValue(n1), white);
    QCOMPARE(border->getNodeValue(n1), black);
    QCOMPARE(fill->getNodeValue(n2), grey);
    QCOMPARE(border->getNodeValue(n2), grey);

    QCOMPARE(fill->getEdgeValue(opaque), black);
    QCOMPARE(border->getEdgeValue(opaque), black);
    QCOMPARE(fill->getEdgeValue(vanish), tlp::Color(0, 0, 0, 70));
    QCOMPARE(border->getEdgeValue(vanish), tlp::Color(0, 0, 0, 70));
    QCOMPARE(fill->getEdgeValue(transparent), tlp::Color(0, 0, 0, 0));
    QCOMPARE(border->getEdgeValue(transparent), tlp::Color(0, 0, 0, 0));
    QCOMPARE(colourIds->getEdgeValue(transparent), 9);

    QCOMPARE(map.selectedNodes(), Nodes{});
    QCOMPARE(map.selectedEdges(), Edges{});
    QCOMPARE(map.emissions, (std::vector<Emission>{{"colourPathsChanged", 9, {n0, n1}}}));
    QCOMPARE(map.colours.back(), black);
  }

  void recolouringReportsTheColoursLeftInAscendingOrder() {
    MapView map;
    std::vector<tlp::node> n;
    for (int i = 0; i < 6; ++i)
      n.push_back(map.station(4 * i, 0));
    map.show();
    auto colour = [&](Nodes nodes, int key) {
      for (tlp::node station : nodes)
        map.selection()->setNodeValue(station, true);
      map.emissions.clear();
      map.key(key);
    };

    colour({n[0], n[3]}, Qt::Key_2);
    colour({n[5]}, Qt::Key_5);
    colour({n[3], n[0], n[4]}, Qt::Key_5);
    QCOMPARE(map.emissions,
             (std::vector<Emission>{{"colourPathsChanged", 5, {n[0], n[3], n[4], n[5]}},
                                    {"changedMembership", 2, {n[0], n[3]}}}));
    QCOMPARE(map.colours.back(), idToColour[5]);

    colour({n[5]}, Qt::Key_5);
    QCOMPARE(map.emissions,
             (std::vector<Emission>{{"colourPathsChanged", 5, {n[0], n[3], n[4], n[5]}},
                                    {"changedMembership", 5, {n[5]}}}));

    colour({n[1]}, Qt::Key_1);
    colour({n[2]}, Qt::Key_4);
    colour({n[4], n[2], n[1], n[5]}, Qt::Key_0);
    QCOMPARE(map.emissions,
             (std::vector<Emission>{{"colourPathsChanged", 0, {n[1], n[2], n[4], n[5]}},
                                    {"changedMembership", 1, {n[1]}},
                                    {"changedMembership", 4, {n[2]}},
                                    {"changedMembership", 5, {n[4], n[5]}}}));

    // Nothing selected: the colour's members are announced again, nobody moved.
    colour({}, Qt::Key_0);
    QVERIFY(!map.passedOn());
    QCOMPARE(map.emissions,
             (std::vector<Emission>{{"colourPathsChanged", 0, {n[1], n[2], n[4], n[5]}}}));
  }

  void escapeClearsTheSelectionAndOtherKeysPassOn() {
    MapView map;
    tlp::node a = map.station(0, 0), b = map.station(4, 0);
    tlp::edge ab = map.graph->addEdge(a, b);
    map.show();
    map.selection()->setNodeValue(a, true);
    map.selection()->setEdgeValue(ab, true);

    for (int key : {int(Qt::Key_A), int(Qt::Key_F1), int(Qt::Key_Space), int(Qt::Key_Left)}) {
      map.key(key);
      QVERIFY(map.passedOn());
    }
    QCOMPARE(map.selectedNodes(), Nodes{a});
    QVERIFY(!map.graph->existProperty("Colour ID"));

    map.key(Qt::Key_Escape);
    QVERIFY(!map.passedOn());
    QCOMPARE(map.selectedNodes(), Nodes{});
    QCOMPARE(map.selectedEdges(), Edges{});
    map.key(Qt::Key_Escape);
    QVERIFY(!map.passedOn());
    QVERIFY(map.emissions.empty());
  }

  void theInteractorChainIsRegisteredForNodeLinkViews() {
    QVERIFY(tlp::PluginLister::pluginExists("ClusterFlowCoR"));
    const tlp::Plugin& info = tlp::PluginLister::pluginInformation("ClusterFlowCoR");
    QCOMPARE(info.category(), tlp::INTERACTOR_CATEGORY);
    QCOMPARE(info.date(), std::string("24/06/2010"));
    QCOMPARE(info.info(), std::string("Selection Interactor"));
    QCOMPARE(info.release(), std::string("1.0"));
    QCOMPARE(info.group(), std::string());

    std::unique_ptr<tlp::Interactor> made(
        tlp::PluginLister::getPluginObject<tlp::Interactor>("ClusterFlowCoR"));
    auto* chain = dynamic_cast<ClusterFlowCoR*>(made.get());
    QVERIFY(chain != nullptr);
    QVERIFY(chain->isCompatible("Node Link Diagram view"));
    QVERIFY(!chain->isCompatible("Node Link Diagram"));
    QVERIFY(!chain->isCompatible("Histogram view"));
    QCOMPARE(chain->priority(), 5u);
    QCOMPARE(chain->action()->text(), QString("Select flows in a diagram"));

    chain->construct();
    QVERIFY(chain->configurationDocWidget() != nullptr);
    QVERIFY(chain->configurationDocWidget()->text().startsWith(
        "<h3>Selection interactor</h3>Select on rectangle.<br/><b>Mouse left</b> down"));
    QVERIFY(chain->configurationDocWidget()->text().endsWith(
        "</ul>Remove from selection: <ul><li><b>Shift + Mouse</b> click</li></ul>"));
    std::vector<tlp::InteractorComponent*> components(chain->begin(), chain->end());
    QCOMPARE(components.size(), size_t(3));
    QVERIFY(dynamic_cast<tlp::MouseNKeysNavigator*>(components[0]) == nullptr);
    QVERIFY(dynamic_cast<tlp::MousePanNZoomNavigator*>(components[0]) != nullptr);
    QVERIFY(dynamic_cast<tlp::MouseNKeysNavigator*>(components[1]) != nullptr);
    QVERIFY(dynamic_cast<ClusterFlowInteractor*>(components[2]) != nullptr);

    ClusterFlowCoR plain(":/other.png", "Other");
    QCOMPARE(plain.priority(), 0u);
    QCOMPARE(plain.action()->text(), QString("Other"));
  }

  void theInstalledChainSelectsFlows() {
    MapView map;
    tlp::node a = map.station(0, 0), b = map.station(4, 0);
    tlp::edge ab = map.graph->addEdge(a, b);
    map.show();
    map.widget.removeEventFilter(&map.interactor);
    ClusterFlowCoR chain;
    chain.construct();
    chain.install(&map.widget);

    map.middleClick(a);
    QCOMPARE(map.selectedEdges(), Edges{ab});
    map.key(Qt::Key_3);
    QCOMPARE(map.graph->getLocalProperty<tlp::IntegerProperty>("Colour ID")->getNodeValue(b), 3);
    chain.uninstall();
  }
};

int main(int argc, char** argv) {
  // Every test makes its own view; the library's glyphs keep GL buffers made in the
  // first context, so the contexts must share them as they do in the program.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  TestFlowInteractor test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_flow_interactor.moc"
