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

#include <QKeyEvent>
#include <QMouseEvent>
#include <QtTest>

#include <memory>
#include <tuple>

namespace {

using Nodes = std::vector<tlp::node>;
using Edges = std::vector<tlp::edge>;

// Counts the presses that got past the filters installed after it.
class EventRecorder : public QObject {
public:
  bool eventFilter(QObject*, QEvent* event) override {
    seen += event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress;
    return false;
  }
  size_t seen = 0;
};

// The signals of one colouring, in the order they came: name, colour index, stations.
using Emissions = std::vector<std::tuple<QString, int, Nodes>>;

// A graph shown in a map view, with the recorder behind the interactor as the
// navigators are in the main window.
class MapView {
public:
  MapView() : graph(tlp::newGraph()) {
    widget.resize(800, 600);
    QObject::connect(&interactor, &ClusterFlowInteractor::colourPathsChanged,
                     [this](int index, tlp::Color colour, Nodes nodes) {
                       colours.push_back(colour);
                       emissions.emplace_back("colourPathsChanged", index, nodes);
                     });
    QObject::connect(&interactor, &ClusterFlowInteractor::changedMembership,
                     [this](int index, Nodes nodes) {
                       emissions.emplace_back("changedMembership", index, nodes);
                     });
  }
  ~MapView() {
    widget.removeEventFilter(&interactor);
    widget.removeEventFilter(&recorder);
  }

  tlp::node station(float x, float y, bool dummy = false) {
    tlp::node n = graph->addNode();
    layout()->setNodeValue(n, tlp::Coord(x, y, 0));
    graph->getProperty<tlp::SizeProperty>("viewSize")->setNodeValue(n, tlp::Size(1, 1, 1));
    if (dummy)
      graph->getLocalProperty<tlp::BooleanProperty>("Is Dummy")->setNodeValue(n, true);
    return n;
  }
  tlp::edge link(tlp::node s, tlp::node t) { return graph->addEdge(s, t); }

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
    tlp::Coord screen = widget.viewportToScreen(
        widget.getScene()->getGraphCamera().worldTo2DViewport(world));
    return QPoint(qRound(screen.x()), widget.height() - qRound(screen.y()));
  }
  QPoint screenPosition(tlp::node n) { return screenPosition(layout()->getNodeValue(n)); }
  QPoint screenPosition(tlp::edge e) {
    const auto [s, t] = graph->ends(e);
    return screenPosition((layout()->getNodeValue(s) + layout()->getNodeValue(t)) / 2.f);
  }

  template <typename Element> void middleClick(Element element) {
    press(screenPosition(element), Qt::MiddleButton, Qt::MiddleButton);
  }
  void press(QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), button, held,
                      Qt::NoModifier);
    send(&event);
  }
  void key(int code) {
    QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
    send(&event);
  }
  void send(QEvent* event) {
    seenBeforeLastPress = recorder.seen;
    QApplication::sendEvent(&widget, event);
  }
  // Whether the last press went past the interactor.
  bool passedOn() const { return recorder.seen > seenBeforeLastPress; }

  tlp::LayoutProperty* layout() { return graph->getProperty<tlp::LayoutProperty>("viewLayout"); }
  tlp::BooleanProperty* selection() {
    return graph->getProperty<tlp::BooleanProperty>("viewSelection");
  }
  void select(const Nodes& nodes, const Edges& edges = {}) {
    for (tlp::node n : nodes)
      selection()->setNodeValue(n, true);
    for (tlp::edge e : edges)
      selection()->setEdgeValue(e, true);
  }
  // The selected stations and edges.
  std::pair<Nodes, Edges> selected() {
    std::pair<Nodes, Edges> result;
    for (tlp::node n : graph->nodes())
      if (selection()->getNodeValue(n))
        result.first.push_back(n);
    for (tlp::edge e : graph->edges())
      if (selection()->getEdgeValue(e))
        result.second.push_back(e);
    return result;
  }

  std::unique_ptr<tlp::Graph> graph;
  tlp::GlMainWidget widget;
  EventRecorder recorder;
  ClusterFlowInteractor interactor;
  size_t seenBeforeLastPress = 0;
  Emissions emissions;
  std::vector<tlp::Color> colours;
};

} // namespace

class TestFlowInteractor : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { initTulip(); }

  void nodeAndEdgeFlowsSelectDownstreamAndDeselectionClearsIncomingEdges() {
    // a -> b -> c, b -> d, x -> b, y -> c
    MapView map;
    tlp::node a = map.station(0, 0), b = map.station(4, 0), c = map.station(8, 0),
              d = map.station(8, -4), x = map.station(0, -4), y = map.station(4, 4);
    tlp::edge ab = map.link(a, b), bc = map.link(b, c), bd = map.link(b, d), xb = map.link(x, b),
              yc = map.link(y, c);
    map.select({x}, {xb});
    map.show();

    map.middleClick(b);
    QVERIFY(!map.passedOn());
    QCOMPARE(map.selected(), std::make_pair(Nodes{b, c, d, x}, Edges{bc, bd, xb}));
    QVERIFY(map.graph->canPop());
    map.select({y}, {yc});
    map.middleClick(b);
    QCOMPARE(map.selected(), std::make_pair(Nodes{x, y}, Edges{}));

    // An edge flow keeps its source selected on deselection.
    map.key(Qt::Key_Escape);
    map.middleClick(ab);
    QVERIFY(!map.passedOn());
    QCOMPARE(map.selected(), std::make_pair(Nodes{a, b, c, d}, Edges{ab, bc, bd}));
    map.middleClick(ab);
    QCOMPARE(map.selected(), std::make_pair(Nodes{a}, Edges{}));
  }

  void flowsPassThroughDummyChainsWithoutSelectingThem() {
    // r -> s -> d1 -> d2 -> t -> u with two dummy nodes, as before the chains are removed.
    MapView map;
    tlp::node r = map.station(-4, 0), s = map.station(0, 0), d1 = map.station(4, 0, true),
              d2 = map.station(8, 0, true), t = map.station(12, 0), u = map.station(16, 0);
    tlp::edge rs = map.link(r, s);
    map.graph->addEdges({{s, d1}, {d1, d2}, {d2, t}});
    tlp::edge tu = map.link(t, u);
    map.show();

    map.middleClick(s);
    QCOMPARE(map.selected(), std::make_pair(Nodes{s, t, u}, Edges{tu}));
    map.middleClick(s);
    QCOMPARE(map.selected().first, (Nodes{}));
    map.middleClick(rs);
    QCOMPARE(map.selected(), std::make_pair(Nodes{r, s, t, u}, Edges{rs, tu}));
    // A click on a dummy node changes nothing but still walks on.
    map.key(Qt::Key_Escape);
    map.middleClick(d2);
    QCOMPARE(map.selected().first, (Nodes{t, u}));
  }

  void aSecondFlowStopsWhereTheFirstAlreadyIs() {
    // p -> q -> r -> w and s -> t -> r: the second flow meets the first at r.
    MapView map;
    tlp::node p = map.station(0, 0), q = map.station(4, 0), r = map.station(8, 2),
              s = map.station(0, 4), t = map.station(4, 4), w = map.station(12, 2);
    tlp::edge pq = map.link(p, q), qr = map.link(q, r), st = map.link(s, t), tr = map.link(t, r),
              rw = map.link(r, w);
    map.show();

    map.middleClick(p);
    map.middleClick(s);
    QCOMPARE(map.selected(),
             std::make_pair(Nodes{p, q, r, s, t, w}, Edges{pq, qr, st, tr, rw}));
    map.key(Qt::Key_Escape);
    map.middleClick(p);
    map.middleClick(st);
    QCOMPARE(map.selected(), std::make_pair(Nodes{p, q, r, s, t, w}, Edges{pq, qr, st, rw}));
  }

  void otherButtonsKeysAndEmptySpotsAndEscape() {
    MapView map;
    tlp::node a = map.station(0, 0), b = map.station(4, 0);
    tlp::edge ab = map.link(a, b);
    map.show();
    const QPoint onA = map.screenPosition(a);
    // Other buttons and chords are left to the navigators.
    map.press(onA, Qt::LeftButton, Qt::LeftButton);
    QVERIFY(map.passedOn());
    map.press(onA, Qt::RightButton, Qt::RightButton);
    QVERIFY(map.passedOn());
    map.press(onA, Qt::MiddleButton, Qt::MiddleButton | Qt::LeftButton);
    QVERIFY(map.passedOn());
    // A middle click on nothing is taken but changes nothing and records no undo point.
    map.press(map.screenPosition(tlp::Coord(2, 3, 0)), Qt::MiddleButton, Qt::MiddleButton);
    QVERIFY(!map.passedOn());
    QCOMPARE(map.selected().first, (Nodes{}));
    QVERIFY(!map.graph->canPop());

    map.select({a}, {ab});
    for (int key : {int(Qt::Key_A), int(Qt::Key_F1), int(Qt::Key_Space), int(Qt::Key_Left)}) {
      map.key(key);
      QVERIFY(map.passedOn());
    }
    QCOMPARE(map.selected().first, (Nodes{a}));
    QVERIFY(!map.graph->existProperty("Colour ID"));
    for (int i = 0; i < 2; ++i) {
      map.key(Qt::Key_Escape);
      QVERIFY(!map.passedOn());
      QCOMPARE(map.selected(), std::make_pair(Nodes{}, Edges{}));
    }
    QVERIFY(map.emissions.empty());
  }

  void colouringPaintsTheSelectionAndCreatesColourIds() {
    // n0 -> n1 (major) -> n3 -> n4 and n2 a dummy; n5 alone.
    MapView map;
    tlp::node n0 = map.station(0, 0), n1 = map.station(4, 0), n2 = map.station(4, 4, true),
              n3 = map.station(8, 0), n4 = map.station(12, 0), n5 = map.station(12, 4);
    tlp::edge opaque = map.link(n0, n1), vanish = map.link(n1, n3), clear = map.link(n3, n4);
    auto* fill = map.graph->getProperty<tlp::ColorProperty>("viewColor");
    auto* border = map.graph->getProperty<tlp::ColorProperty>("viewBorderColor");
    const tlp::Color grey(180, 180, 180, 255), white(255, 255, 255, 255), black(0, 0, 0, 255);
    fill->setAllNodeValue(grey);
    border->setAllNodeValue(grey);
    fill->setNodeValue(n1, white);
    map.graph->getLocalProperty<tlp::BooleanProperty>("Is Major Station")->setNodeValue(n1, true);
    fill->setEdgeValue(opaque, grey);
    fill->setEdgeValue(vanish, tlp::Color(180, 180, 180, 70));
    border->setEdgeValue(vanish, grey);
    fill->setEdgeValue(clear, tlp::Color(255, 255, 255, 0));
    border->setEdgeValue(clear, tlp::Color(255, 255, 255, 0));
    map.select({n0, n1, n2}, {opaque, vanish, clear});
    map.show();

    map.key(Qt::Key_9);
    QVERIFY(!map.passedOn());
    auto* ids = map.graph->getLocalProperty<tlp::IntegerProperty>("Colour ID");
    QCOMPARE((std::vector<int>{ids->getNodeValue(n0), ids->getNodeValue(n1), ids->getNodeValue(n2),
                               ids->getNodeValue(n3), ids->getNodeValue(n4), ids->getNodeValue(n5),
                               ids->getEdgeValue(clear)}),
             (std::vector<int>{9, 9, -1, -1, -1, -1, 9}));
    // Fill then border: major stations keep their fill, dummies are left alone,
    // edges keep their transparency.
    const std::vector<std::pair<tlp::Color, tlp::Color>> nodeColours{
        {black, black}, {white, black}, {grey, grey}};
    for (unsigned int i = 0; i < nodeColours.size(); ++i)
      QCOMPARE(std::make_pair(fill->getNodeValue(map.graph->nodes()[i]),
                              border->getNodeValue(map.graph->nodes()[i])),
               nodeColours[i]);
    const std::vector<std::pair<tlp::edge, int>> alphas{{opaque, 255}, {vanish, 70}, {clear, 0}};
    for (const auto& [e, alpha] : alphas) {
      QCOMPARE(fill->getEdgeValue(e), tlp::Color(0, 0, 0, alpha));
      QCOMPARE(border->getEdgeValue(e), tlp::Color(0, 0, 0, alpha));
    }
    QCOMPARE(map.selected(), std::make_pair(Nodes{}, Edges{}));
    QCOMPARE(map.emissions, (Emissions{{"colourPathsChanged", 9, {n0, n1}}}));
    QCOMPARE(map.colours.back(), black);
  }

  void recolouringReportsTheColoursLeftInAscendingOrder() {
    MapView map;
    Nodes n;
    for (int i = 0; i < 6; ++i)
      n.push_back(map.station(4 * i, 0));
    map.show();
    auto colour = [&](Nodes nodes, int key) {
      map.select(nodes);
      map.emissions.clear();
      map.key(key);
    };

    colour({n[0], n[3]}, Qt::Key_2);
    colour({n[5]}, Qt::Key_5);
    colour({n[3], n[0], n[4]}, Qt::Key_5);
    QCOMPARE(map.emissions, (Emissions{{"colourPathsChanged", 5, {n[0], n[3], n[4], n[5]}},
                                       {"changedMembership", 2, {n[0], n[3]}}}));
    QCOMPARE(map.colours.back(), idToColour[5]);
    colour({n[5]}, Qt::Key_5);
    QCOMPARE(map.emissions, (Emissions{{"colourPathsChanged", 5, {n[0], n[3], n[4], n[5]}},
                                       {"changedMembership", 5, {n[5]}}}));
    colour({n[1]}, Qt::Key_1);
    colour({n[2]}, Qt::Key_4);
    colour({n[4], n[2], n[1], n[5]}, Qt::Key_0);
    QCOMPARE(map.emissions, (Emissions{{"colourPathsChanged", 0, {n[1], n[2], n[4], n[5]}},
                                       {"changedMembership", 1, {n[1]}},
                                       {"changedMembership", 4, {n[2]}},
                                       {"changedMembership", 5, {n[4], n[5]}}}));
    // Nothing selected: the colour's members are announced again, nobody moved.
    colour({}, Qt::Key_0);
    QVERIFY(!map.passedOn());
    QCOMPARE(map.emissions, (Emissions{{"colourPathsChanged", 0, {n[1], n[2], n[4], n[5]}}}));
  }

  void theChainIsFoundByNameForNodeLinkViewsAndSelectsFlows() {
    std::unique_ptr<tlp::Interactor> made(
        tlp::PluginLister::getPluginObject<tlp::Interactor>("ClusterFlowCoR"));
    auto* chain = dynamic_cast<ClusterFlowCoR*>(made.get());
    QVERIFY(chain != nullptr);
    QVERIFY(chain->isCompatible("Node Link Diagram view"));
    QVERIFY(!chain->isCompatible("Histogram view"));
    chain->construct();
    // Pan and zoom first, then keys, then the flows.
    std::vector<tlp::InteractorComponent*> components(chain->begin(), chain->end());
    QCOMPARE(components.size(), size_t(3));
    QVERIFY(!dynamic_cast<tlp::MouseNKeysNavigator*>(components[0]) &&
            dynamic_cast<tlp::MousePanNZoomNavigator*>(components[0]) &&
            dynamic_cast<tlp::MouseNKeysNavigator*>(components[1]) &&
            dynamic_cast<ClusterFlowInteractor*>(components[2]));

    MapView map;
    tlp::node a = map.station(0, 0), b = map.station(4, 0);
    tlp::edge ab = map.link(a, b);
    map.show();
    map.widget.removeEventFilter(&map.interactor);
    chain->install(&map.widget);
    map.middleClick(a);
    QCOMPARE(map.selected().second, (Edges{ab}));
    map.key(Qt::Key_3);
    QCOMPARE(map.graph->getLocalProperty<tlp::IntegerProperty>("Colour ID")->getNodeValue(b), 3);
    chain->uninstall();
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
