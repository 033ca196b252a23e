// The flow interactor driven through a real map view: synthetic middle clicks at the
// projected screen positions of stations and edges, and key presses on the view.

#include "clusterflow/TulipSetup.h"
#include "interaction/ClusterFlowCoR.h"
#include "interaction/ClusterFlowInteractor.h"
#include "interaction/EditHistory.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlLayer.h>
#include <tulip/GlMainWidget.h>
#include <tulip/IntegerProperty.h>
#include <tulip/LayoutProperty.h>
#include <tulip/PluginLister.h>
#include <tulip/SizeProperty.h>

#include <QtTest>

#include <algorithm>
#include <memory>
#include <tuple>

namespace {

using Nodes = std::vector<tlp::node>;
using Edges = std::vector<tlp::edge>;
// The signals of the last colouring, in the order they came: colour index and stations.
using Emissions = std::vector<std::pair<int, Nodes>>;

// Unit stations at `at` (by default along x, 4 apart) joined by `links`, shown in a
// map view with a filter behind the interactor that counts the presses reaching the
// navigators.
struct MapView : QObject {
  MapView(int count, const std::vector<std::pair<int, int>>& links)
      : MapView(alongX(count), links) {}
  MapView(const std::vector<tlp::Coord>& at, const std::vector<std::pair<int, int>>& links)
      : graph(tlp::newGraph()) {
    graph->addNodes(static_cast<unsigned>(at.size()), n);
    for (std::size_t i = 0; i < at.size(); ++i)
      graph->getProperty<tlp::LayoutProperty>("viewLayout")->setNodeValue(n[i], at[i]);
    graph->getProperty<tlp::SizeProperty>("viewSize")->setAllNodeValue(tlp::Size(1, 1, 1));
    for (const auto& [s, t] : links)
      e.push_back(graph->addEdge(n[s], n[t]));
    QObject::connect(&interactor, &ClusterFlowInteractor::colourPathsChanged,
                     [this](int index, tlp::Color c, Nodes nodes) {
                       colour = c;
                       emissions.emplace_back(index, nodes);
                     });
    QObject::connect(&interactor, &ClusterFlowInteractor::changedMembership,
                     [this](int index, Nodes nodes) { emissions.emplace_back(-index, nodes); });
    auto* layer = new tlp::GlLayer("Main");
    widget.getScene()->addExistingLayer(layer);
    layer->addGlEntity(new tlp::GlGraphComposite(graph.get()), "graph");
    widget.resize(800, 300);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    widget.getScene()->centerScene();
    widget.draw(true);
    widget.installEventFilter(this);
    widget.installEventFilter(&interactor);
    interactor.setEditHistory(&history);
  }
  ~MapView() override {
    widget.removeEventFilter(&interactor);
    widget.removeEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    passedOn |= event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress;
    return false;
  }

  // A press at world position x (on the line of stations, or 3 above it).
  void press(float x, float y = 0, Qt::MouseButton button = Qt::MiddleButton,
             Qt::MouseButtons held = Qt::MiddleButton) {
    widget.makeCurrent();
    const tlp::Coord p =
        widget.viewportToScreen(widget.getScene()->getGraphCamera().worldTo2DViewport({x, y, 0}));
    const QPoint at(qRound(p.x()), widget.height() - qRound(p.y()));
    QMouseEvent event(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), button, held,
                      Qt::NoModifier);
    send(&event);
  }
  void key(int code) {
    QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
    send(&event);
  }
  void send(QEvent* event) {
    passedOn = false;
    emissions.clear();
    QApplication::sendEvent(&widget, event);
  }
  tlp::BooleanProperty* selection() {
    return graph->getProperty<tlp::BooleanProperty>("viewSelection");
  }
  void select(const Nodes& nodes, const Edges& edges = {}) {
    for (tlp::node v : nodes)
      selection()->setNodeValue(v, true);
    for (tlp::edge edge : edges)
      selection()->setEdgeValue(edge, true);
  }
  std::pair<Nodes, Edges> selected() {
    return {tlp::iteratorVector(selection()->getNodesEqualTo(true, graph.get())),
            tlp::iteratorVector(selection()->getEdgesEqualTo(true, graph.get()))};
  }

  static std::vector<tlp::Coord> alongX(int count) {
    std::vector<tlp::Coord> at;
    for (int i = 0; i < count; ++i)
      at.emplace_back(4.f * i, 0, 0);
    return at;
  }
  void setDummies(const Nodes& dummies) {
    for (tlp::node v : dummies)
      graph->getLocalProperty<tlp::BooleanProperty>("Is Dummy")->setNodeValue(v, true);
  }

  std::unique_ptr<tlp::Graph> graph;
  Nodes n;
  Edges e;
  tlp::GlMainWidget widget;
  ClusterFlowInteractor interactor;
  EditHistory history;
  bool passedOn = false; // whether the last event reached the navigators
  Emissions emissions;
  tlp::Color colour;
};

} // namespace

class TestFlowInteractor : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { initTulip(); }

  void middleClicksToggleFlowsAndOtherEventsGoOn() {
    // 0 -> 1 -> 2, 1 -> 3
    MapView map(4, {{0, 1}, {1, 2}, {1, 3}});
    const Nodes& n = map.n;
    map.press(4);
    QVERIFY(!map.passedOn);
    QCOMPARE(map.selected(), std::make_pair(Nodes{n[1], n[2], n[3]}, Edges{map.e[1], map.e[2]}));
    // A toggle is one step of undo; the library's own undo records nothing.
    QVERIFY(map.history.undo() != nullptr && !map.graph->canPop());
    QCOMPARE(map.selected(), std::make_pair(Nodes{}, Edges{}));
    map.history.redo();
    map.press(4);
    QCOMPARE(map.selected(), std::make_pair(Nodes{}, Edges{}));
    // An edge flow, from the middle of the edge; deselection keeps its source.
    map.press(2);
    QCOMPARE(map.selected(), std::make_pair(n, map.e));
    map.press(2);
    QCOMPARE(map.selected(), std::make_pair(Nodes{n[0]}, Edges{}));

    // Other buttons, chords and keys are left to the navigators; a middle click on
    // nothing is taken but changes nothing.
    const std::pair<Qt::MouseButton, Qt::MouseButtons> presses[] = {
        {Qt::LeftButton, Qt::LeftButton},
        {Qt::RightButton, Qt::RightButton},
        {Qt::MiddleButton, Qt::MiddleButton | Qt::LeftButton}};
    for (const auto& [button, held] : presses) {
      map.press(0, 0, button, held);
      QVERIFY(map.passedOn);
    }
    for (int key : {int(Qt::Key_A), int(Qt::Key_F1), int(Qt::Key_Left)}) {
      map.key(key);
      QVERIFY(map.passedOn);
    }
    map.press(2, 3);
    QVERIFY(!map.passedOn);
    QCOMPARE(map.selected(), std::make_pair(Nodes{n[0]}, Edges{}));
    QVERIFY(!map.graph->existProperty("Colour ID"));
    map.key(Qt::Key_Escape);
    QVERIFY(!map.passedOn);
    QCOMPARE(map.selected(), std::make_pair(Nodes{}, Edges{}));
    QVERIFY(map.emissions.empty());

    // The history keeps the last 50 steps only.
    for (int i = 0; i < 60; ++i)
      map.press(4);
    int steps = 0;
    while (map.history.undo() != nullptr)
      ++steps;
    QCOMPARE(steps, 50);
  }

  void deselectionClearsIncomingEdgesAndFlowsCrossDummyChains() {
    // 0 -> 1 -> 2 -> 3 -> 4 -> 5 with 2 and 3 dummies, as before the chains go;
    // 0 and its edge are selected already.
    MapView map(6, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}});
    const Nodes& n = map.n;
    map.setDummies({n[2], n[3]});
    map.select({n[0]}, {map.e[0]});
    // Selection skips the dummies and every edge touching one, and walks on beyond.
    map.press(4);
    QCOMPARE(map.selected(),
             std::make_pair(Nodes{n[0], n[1], n[4], n[5]}, Edges{map.e[0], map.e[4]}));
    // Deselection also clears the incoming edge of the clicked station.
    map.press(4);
    QCOMPARE(map.selected(), std::make_pair(Nodes{n[0]}, Edges{}));
    // A click on a dummy changes nothing there but walks on.
    map.press(12);
    QCOMPARE(map.selected(), std::make_pair(Nodes{n[0], n[4], n[5]}, Edges{map.e[4]}));
  }

  void aSecondFlowStopsWhereTheFirstAlreadyIs() {
    // p -> q -> r -> w and s -> t -> r: the second flow meets the first at r.
    MapView map({{0, 0, 0}, {4, 0, 0}, {8, 2, 0}, {12, 2, 0}, {0, 4, 0}, {4, 4, 0}},
                {{0, 1}, {1, 2}, {2, 3}, {4, 5}, {5, 2}});
    const Edges& e = map.e;
    map.press(0, 0);
    map.press(0, 4);
    QCOMPARE(map.selected(), std::make_pair(map.n, e));
    // An edge flow leaves alone an edge whose far end is already selected.
    map.key(Qt::Key_Escape);
    map.press(0, 0);
    map.press(2, 4);
    QCOMPARE(map.selected(), std::make_pair(map.n, Edges{e[0], e[1], e[2], e[3]}));
  }

  void colouringPaintsTheSelectionAndCreatesColourIds() {
    // 0 -> 1 (major) -> 3 -> 4 and 2 a dummy; 5 alone.
    MapView map(6, {{0, 1}, {1, 3}, {3, 4}});
    const Nodes& n = map.n;
    map.setDummies({n[2]});
    map.graph->getLocalProperty<tlp::BooleanProperty>("Is Major Station")->setNodeValue(n[1], true);
    auto* fill = map.graph->getProperty<tlp::ColorProperty>("viewColor");
    auto* border = map.graph->getProperty<tlp::ColorProperty>("viewBorderColor");
    const tlp::Color grey(180, 180, 180, 255), white(255, 255, 255, 255), black(0, 0, 0, 255);
    fill->setAllNodeValue(grey);
    fill->setNodeValue(n[1], white);
    const int alphas[] = {255, 70, 0}; // opaque, vanish and clear edges
    for (int i = 0; i < 3; ++i)
      fill->setEdgeValue(map.e[i], tlp::Color(180, 180, 180, alphas[i]));
    map.select({n[0], n[1], n[2]}, map.e);

    map.key(Qt::Key_9);
    QVERIFY(!map.passedOn);
    auto* ids = map.graph->getLocalProperty<tlp::IntegerProperty>("Colour ID");
    const int expectedIds[] = {9, 9, -1, -1, -1, -1};
    for (int i = 0; i < 6; ++i)
      QCOMPARE(ids->getNodeValue(n[i]), expectedIds[i]);
    QCOMPARE(ids->getEdgeValue(map.e[2]), 9);
    // Major stations keep their fill, dummies are left alone, edges keep their transparency.
    QCOMPARE((std::vector<tlp::Color>{fill->getNodeValue(n[0]), fill->getNodeValue(n[1]),
                                      fill->getNodeValue(n[2]), border->getNodeValue(n[1])}),
             (std::vector<tlp::Color>{black, white, grey, black}));
    for (int i = 0; i < 3; ++i)
      QCOMPARE(fill->getEdgeValue(map.e[i]), tlp::Color(0, 0, 0, alphas[i]));
    QCOMPARE(map.selected(), std::make_pair(Nodes{}, Edges{}));
    QCOMPARE(map.emissions, (Emissions{{9, {n[0], n[1]}}}));
    QCOMPARE(map.colour, black);

    // Undo puts back every colour and the selection, redo the colouring again.
    auto state = [&] {
      std::vector<tlp::Color> colours;
      for (tlp::node v : n)
        colours.insert(colours.end(), {fill->getNodeValue(v), border->getNodeValue(v)});
      for (tlp::edge edge : map.e)
        colours.insert(colours.end(), {fill->getEdgeValue(edge), border->getEdgeValue(edge)});
      return std::make_tuple(colours, tlp::iteratorVector(ids->getNodesEqualTo(-1)),
                             tlp::iteratorVector(ids->getEdgesEqualTo(-1)), map.selected());
    };
    const auto coloured = state();
    map.history.undo();
    QVERIFY(std::get<0>(state())[0] == grey && std::get<1>(state()).size() == 6 &&
            std::get<2>(state()).size() == 3);
    QCOMPARE(std::get<3>(state()), std::make_pair(Nodes{n[0], n[1], n[2]}, map.e));
    map.history.redo();
    QVERIFY(state() == coloured);
  }

  // A colouring reports every station of its colour, then, colour by colour in
  // ascending order, the stations it took away from other colours (negated here).
  void recolouringReportsTheColoursLeft() {
    MapView map(6, {});
    const Nodes& n = map.n;
    auto colour = [&](Nodes nodes, int key) {
      map.select(nodes);
      map.key(key);
    };
    colour({n[0], n[3]}, Qt::Key_2);
    colour({n[5]}, Qt::Key_5);
    colour({n[3], n[0], n[4]}, Qt::Key_5);
    QCOMPARE(map.emissions, (Emissions{{5, {n[0], n[3], n[4], n[5]}}, {-2, {n[0], n[3]}}}));
    QCOMPARE(map.colour, idToColour[5]);
    // The same colour again keeps the station in it.
    colour({n[4]}, Qt::Key_5);
    QCOMPARE(map.emissions, (Emissions{{5, {n[0], n[3], n[4], n[5]}}}));
    colour({n[1]}, Qt::Key_1);
    colour({n[2]}, Qt::Key_4);
    colour({n[4], n[2], n[1], n[5]}, Qt::Key_0);
    QCOMPARE(
        map.emissions,
        (Emissions{{0, {n[1], n[2], n[4], n[5]}}, {-1, {n[1]}}, {-4, {n[2]}}, {-5, {n[4], n[5]}}}));
    // A digit with nothing selected changes nothing and announces nothing.
    colour({}, Qt::Key_0);
    QVERIFY(map.emissions.empty() && !map.passedOn);
  }

  void theChainIsFoundByNameForNodeLinkViewsWithTheFlows() {
    std::unique_ptr<tlp::Interactor> made(
        tlp::PluginLister::getPluginObject<tlp::Interactor>("ClusterFlowCoR"));
    auto* chain = dynamic_cast<ClusterFlowCoR*>(made.get());
    QVERIFY(chain != nullptr && chain->isCompatible("Node Link Diagram view"));
    chain->construct();
    QVERIFY(std::any_of(chain->begin(), chain->end(), [](tlp::InteractorComponent* component) {
      return dynamic_cast<ClusterFlowInteractor*>(component) != nullptr;
    }));
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
