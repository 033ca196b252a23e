#include "clusterflow/TulipSetup.h"
#include "mapexport/MapDrawing.h"
#include "mapexport/MapExport.h"
#include "mapexport/MapPainter.h"
#include "support/Programs.h"

#include <tulip/BooleanProperty.h>
#include <tulip/ColorProperty.h>
#include <tulip/DoubleProperty.h>
#include <tulip/Graph.h>
#include <tulip/IntegerProperty.h>
#include <tulip/LayoutProperty.h>
#include <tulip/SizeProperty.h>
#include <tulip/StringProperty.h>

#include <QImage>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <map>
#include <memory>

namespace {

const QString kExample = QString(TEXTFERRO_EXAMPLES) + "/energy";

QStringList exampleArguments() {
  return {kExample + "/timeline.txt", kExample + "/clusters/step", "obj", "feat",
          kExample + "/tags", "energy", "tags"};
}

// What an SVG drawing holds: its discs (circles, or ellipses with equal radii) with their
// fill colours, and its paths.
struct SvgContent {
  std::vector<QString> discFills;
  int paths = 0;
};

SvgContent readSvg(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  QXmlStreamReader xml(&file);
  SvgContent content;
  std::vector<QString> fills{"none"};
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      const QXmlStreamAttributes attributes = xml.attributes();
      const QString fill = attributes.hasAttribute("fill") ? attributes.value("fill").toString()
                                                           : fills.back();
      fills.push_back(fill);
      if (xml.name() == QLatin1String("circle") ||
          (xml.name() == QLatin1String("ellipse") &&
           attributes.value("rx") == attributes.value("ry")))
        content.discFills.push_back(fill);
      if (xml.name() == QLatin1String("path"))
        ++content.paths;
    } else if (xml.isEndElement()) {
      fills.pop_back();
    }
  }
  if (xml.hasError())
    content.paths = -1;
  return content;
}

QString hex(const tlp::Color& colour) {
  return QColor(colour.getR(), colour.getG(), colour.getB()).name();
}

} // namespace

class TestMapExport : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { initTulip(); }

  void onlyVisibleElementsAreDrawn() {
    std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
    const tlp::node a = graph->addNode(), b = graph->addNode(), hidden = graph->addNode(),
                    clear = graph->addNode();
    auto* layout = graph->getProperty<tlp::LayoutProperty>("viewLayout");
    auto* sizes = graph->getProperty<tlp::SizeProperty>("viewSize");
    auto* colours = graph->getProperty<tlp::ColorProperty>("viewColor");
    auto* borders = graph->getProperty<tlp::ColorProperty>("viewBorderColor");
    graph->getProperty<tlp::IntegerProperty>("viewShape")->setAllEdgeValue(8);
    layout->setNodeValue(a, tlp::Coord(0, 0, 3));
    layout->setNodeValue(b, tlp::Coord(6, 12, 0));
    sizes->setNodeValue(hidden, tlp::Size(0, 0, 0));
    colours->setNodeValue(clear, tlp::Color(255, 255, 255, 0));
    borders->setNodeValue(clear, tlp::Color(255, 255, 255, 0));
    graph->getProperty<tlp::StringProperty>("viewLabel")->setNodeValue(a, "solar");
    graph->getProperty<tlp::IntegerProperty>("viewLabelPosition")->setNodeValue(a, 2);
    const tlp::edge shown = graph->addEdge(a, b);
    layout->setEdgeValue(shown, {tlp::Coord(2, 2, 0), tlp::Coord(4, 10, 0)});
    colours->setEdgeValue(graph->addEdge(b, a), tlp::Color(1, 2, 3, 0));

    const MapDrawing drawing = collectMapDrawing(graph.get());
    QCOMPARE(drawing.discs.size(), std::size_t(2));
    QCOMPARE(drawing.curves.size(), std::size_t(1));
    const MapCurve& curve = drawing.curves.front();
    QVERIFY(curve.points.size() > 4); // sampled, not the bare control points
    QCOMPARE(curve.points.front(), tlp::Coord(0, 0, 0));
    QCOMPARE(curve.points.back(), tlp::Coord(6, 12, 0));
    QCOMPARE(drawing.labels.size(), std::size_t(1));
    QVERIFY(drawing.labels.front().below);

    // The frame holds everything, the label below station a included.
    const MapPainter painter(drawing);
    QVERIFY(painter.frame().top() < -0.5 && painter.frame().bottom() > 12.5);
    const QPointF low = painter.toDevice(tlp::Coord(0, 0, 0), 1000);
    const QPointF high = painter.toDevice(tlp::Coord(6, 12, 0), 1000);
    QVERIFY(low.y() > high.y()); // y points down on paper
  }

  void svgHoldsOneDiscPerStationAndOnePathPerEdge() {
    QTemporaryDir dir;
    const QString graphFile = dir.path() + "/energy.tlp", svgFile = dir.path() + "/energy.svg";
    QCOMPARE(runProgram("textferro-export", exampleArguments() << graphFile).exitCode, 0);
    const ProgramResult result = runProgram("textferro-export", exampleArguments() << svgFile);
    QVERIFY2(result.exitCode == 0, result.err.c_str());

    std::unique_ptr<tlp::Graph> graph(tlp::loadGraph(graphFile.toStdString()));
    QVERIFY(graph);
    const MapDrawing drawing = collectMapDrawing(graph.get());
    QVERIFY(drawing.discs.size() >= 43);

    const SvgContent svg = readSvg(svgFile);
    QVERIFY(svg.paths >= 0);
    QCOMPARE(svg.discFills.size(), drawing.discs.size());
    QCOMPARE(svg.paths, int(drawing.curves.size()));
    std::map<QString, int> expected, found;
    for (const MapDisc& disc : drawing.discs)
      ++expected[hex(disc.fill)];
    for (const QString& fill : svg.discFills)
      ++found[fill];
    QCOMPARE(found, expected);
  }

  void pngHasTheRequestedSizeAndTheStationColours() {
    QTemporaryDir dir;
    const QString graphFile = dir.path() + "/energy.tlp", pngFile = dir.path() + "/energy.png";
    QCOMPARE(runProgram("textferro-export", exampleArguments() << graphFile).exitCode, 0);
    const ProgramResult result =
        runProgram("textferro-export", QStringList{"--width", "1200"} << exampleArguments()
                                                                      << pngFile);
    QVERIFY2(result.exitCode == 0, result.err.c_str());

    std::unique_ptr<tlp::Graph> graph(tlp::loadGraph(graphFile.toStdString()));
    const MapDrawing drawing = collectMapDrawing(graph.get());
    const MapPainter painter(drawing);
    const QImage image(pngFile);
    QCOMPARE(image.width(), 1200);
    QCOMPARE(image.height(), int(std::lround(painter.sizeForWidth(1200).height())));

    auto* major = graph->getProperty<tlp::BooleanProperty>("Is Major Station");
    auto* layout = graph->getProperty<tlp::LayoutProperty>("viewLayout");
    auto* colours = graph->getProperty<tlp::ColorProperty>("viewColor");
    auto* sizes = graph->getProperty<tlp::SizeProperty>("viewSize");
    bool sawMajor = false, sawOrdinary = false;
    for (tlp::node n : graph->nodes()) {
      if (sizes->getNodeValue(n).getW() <= 0)
        continue;
      const bool isMajor = major->getNodeValue(n);
      if ((isMajor && sawMajor) || (!isMajor && sawOrdinary))
        continue;
      const QPointF centre = painter.toDevice(layout->getNodeValue(n), 1200);
      const QColor pixel = image.pixelColor(centre.toPoint());
      QCOMPARE(pixel.name(), hex(colours->getNodeValue(n)));
      (isMajor ? sawMajor : sawOrdinary) = true;
    }
    QVERIFY(sawMajor && sawOrdinary);
  }

  void failedExportsLeaveEarlierFilesAlone() {
    QTemporaryDir dir;
    const QString kept = dir.path() + "/map.svg";
    {
      QFile file(kept);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("earlier");
    }
    ProgramResult badSuffix = runProgram("textferro-export", exampleArguments() << dir.path() + "/map.pdf");
    QCOMPARE(badSuffix.exitCode, 1);
    QVERIFY2(badSuffix.err.find(".tlp, .svg or .png") != std::string::npos, badSuffix.err.c_str());
    QVERIFY(!QFile::exists(dir.path() + "/map.pdf"));

    // A folder that cannot hold files, whoever runs the test: its "parent" is a file.
    for (const char* suffix : {".svg", ".png", ".tlp"}) {
      ProgramResult unwritable =
          runProgram("textferro-export", exampleArguments() << kept + "/map" + QString(suffix));
      QCOMPARE(unwritable.exitCode, 1);
      QVERIFY2(unwritable.err.find("Could not write file") != std::string::npos,
               unwritable.err.c_str());
    }

    QFile file(kept);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("earlier"));

    ProgramResult badWidth =
        runProgram("textferro-export", QStringList{"--width", "0"} << exampleArguments() << kept);
    QCOMPARE(badWidth.exitCode, 1);
  }
};

QTEST_MAIN(TestMapExport)
#include "test_mapexport.moc"
