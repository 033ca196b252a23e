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
#include <QLabel>
#include <QMouseEvent>
#include <QtTest>

#include <memory>

namespace {

// Remembers which events got past the filters installed after it.
class EventRecorder : public QObject {
public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress)
      seen.push_back(event->type());
    return false;
  }
  std::vector<QEvent::Type> seen;
};

// A graph shown in a map view, with the recorder behind the interactor as the
// navigators are in the main window.
class MapView {
public:
  MapView() : graph(tlp::newGraph()) {
    widget.resize(800, 600);
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
    tlp::GlLayer* layer = widget.getScene()->getLayer("Main");
    if (layer == nullptr) {
      layer = new tlp::GlLayer("Main");
      widget.getScene()->addExistingLayer(layer);
    }
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
    return screenPosition((layout->getNodeValue(graph->source(e)) +
                           layout->getNodeValue(graph->target(e))) / 2.f);
  }

  template <typename Element>
  void middleClick(Element element) {
    press(screenPosition(element), Qt::MiddleButton, Qt::MiddleButton);
  }

  void press(QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
  }

  void key(int code) {
    QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
  }

  // Whether the last press went past the interactor.
  bool passedOn() {
    const size_t seen = recorder.seen.size();
    return seen > 0 && seen == ++pressesSent;
  }

  tlp::BooleanProperty* selection() {
    return graph->getProperty<tlp::BooleanProperty>("viewSelection");
  }

  std::unique_ptr<tlp::Graph> graph;
  tlp::GlMainWidget widget;
  EventRecorder recorder;
  ClusterFlowInteractor interactor;
  size_t pressesSent = 0;
};

std::vector<tlp::node> selectedNodes(tlp::Graph* graph) {
  std::vector<tlp::node> result;
  auto* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");
  for (tlp::node n : graph->nodes())
    if (selection->getNodeValue(n))
      result.push_back(n);
  return result;
}

std::vector<tlp::edge> selectedEdges(tlp::Graph* graph) {
  std::vector<tlp::edge> result;
  auto* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");
  for (tlp::edge e : graph->edges())
    if (selection->getEdgeValue(e))
      result.push_back(e);
  return result;
}

using Nodes = std::vector<tlp::node>;
using Edges = std::vector<tlp::edge>;

// The signals of one colouring, in the order they came.
struct Emission {
  QString signal;
  int index;
  Nodes nodes;
  bool operator==(const Emission& other) const {
    return signal == other.signal && index == other.index && nodes == other.nodes;
  }
};

} // namespace

namespace QTest {
template <>
char* toString(const std::vector<Emission>& emissions) {
  QString text;
  for (const Emission& emission : emissions) {
    text += emission.signal + "(" + QString::number(emission.index) + ":";
    for (tlp::node n : emission.nodes)
      text += " " + QString::number(n.id);
    text += ") ";
  }
  return qstrdup(text.toUtf8().constData());
}
} // namespace QTest

class TestFlowInteractor : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() {
    initTulip();
  }

  // a -> b -> c, b -> d, x -> b, y -> c
  void nodeFlowSelectsDownstreamAndDeselectionClearsIncomingEdges() {
    MapView map;
    tlp::node a = map.station(0, 0), b = map.station(4, 0), c = map.station(8, 0),
              d = map.station(8, -4), x = map.station(0, -4), y = map.station(4, 4);
    tlp::edge ab = map.graph->addEdge(a, b), bc = map.graph->addEdge(b, c),
              bd = map.graph->addEdge(b, d), xb = map.graph->addEdge(x, b),
              yc = map.graph->addEdge(y, c);
    map.selection()->setNodeValue(x, true);
    map.selection()->setEdgeValue(xb, true);
    map.show();

    map.middleClick(b);
    QVERIFY(!map.passedOn());
    QCOMPARE(selectedNodes(map.graph.get()), (Nodes{b, c, d, x}));
    QCOMPARE(selectedEdges(map.graph.get()), (Edges{bc, bd, xb}));

    map.selection()->setNodeValue(y, true);
    map.selection()->setEdgeValue(yc, true);
    map.middleClick(b);
    QCOMPARE(selectedNodes(map.graph.get()), (Nodes{x, y}));
    QCOMPARE(selectedEdges(map.graph.get()), Edges{});
    QVERIFY(map.graph->canPop());
    Q_UNUSED(ab);
  }
};

QTEST_MAIN(TestFlowInteractor)
#include "test_flow_interactor.moc"
