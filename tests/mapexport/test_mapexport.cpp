#include "clusterflow/TulipSetup.h"
#include "mapexport/MapDrawing.h"
#include "mapexport/MapExport.h"
#include "mapexport/MapPainter.h"
#include "support/Programs.h"

#include <tulip/ColorProperty.h>
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
#include <iostream>
#include <set>
#include <sstream>

namespace {

// The fill colours of an SVG drawing's discs (circles, or ellipses with equal
// radii), counted, and the number of its paths; empty if the file is no SVG.
std::map<QString, int> readSvg(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  QXmlStreamReader xml(&file);
  std::map<QString, int> found;
  std::vector<QString> fills{"none"};
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isEndElement())
      fills.pop_back();
    if (!xml.isStartElement())
      continue;
    const QXmlStreamAttributes a = xml.attributes();
    fills.push_back(a.hasAttribute("fill") ? a.value("fill").toString() : fills.back());
    if (xml.name() == QLatin1String("circle") ||
        (xml.name() == QLatin1String("ellipse") && a.value("rx") == a.value("ry")))
      ++found[fills.back()];
    found["paths"] += xml.name() == QLatin1String("path");
  }
  return xml.hasError() ? std::map<QString, int>() : found;
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
    graph->getProperty<tlp::IntegerProperty>("viewShape")->setAllEdgeValue(8);
    layout->setNodeValue(a, tlp::Coord(0, 0, 3));
    layout->setNodeValue(b, tlp::Coord(6, 12, 0));
    sizes->setNodeValue(hidden, tlp::Size(0, 0, 0));
    colours->setNodeValue(clear, tlp::Color(255, 255, 255, 0));
    graph->getProperty<tlp::ColorProperty>("viewBorderColor")
        ->setNodeValue(clear, {255, 255, 255, 0});
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
    // y points down on paper.
    QVERIFY(painter.toDevice({0, 0, 0}, 1000).y() > painter.toDevice({6, 12, 0}, 1000).y());
  }

  // The drawings of the example hold a disc per visible station and a path per
  // visible edge, in the stations' colours, at the requested size.
  void svgAndPngShowTheExampleMap() {
    QTemporaryDir dir;
    const QString graphFile = dir.path() + "/energy.tlp", svgFile = dir.path() + "/energy.svg",
                  pngFile = dir.path() + "/energy.png";
    for (const QStringList& arguments :
         {exampleArguments() << graphFile, exampleArguments() << svgFile,
          QStringList{"--width", "1200"} << exampleArguments() << pngFile}) {
      const ProgramResult result = runProgram("textferro-export", arguments);
      QVERIFY2(result.exitCode == 0, result.err.c_str());
    }
    std::unique_ptr<tlp::Graph> graph(tlp::loadGraph(graphFile.toStdString()));
    QVERIFY(graph);
    const MapDrawing drawing = collectMapDrawing(graph.get());
    QVERIFY(drawing.discs.size() >= 43);
    std::map<QString, int> expected{{"paths", int(drawing.curves.size())}};
    for (const MapDisc& disc : drawing.discs)
      ++expected[hex(disc.fill)];
    QCOMPARE(readSvg(svgFile), expected);

    const MapPainter painter(drawing);
    const QImage image(pngFile);
    QCOMPARE(image.width(), 1200);
    QCOMPARE(image.height(), int(std::lround(painter.sizeForWidth(1200).height())));
    std::set<QString> colours;
    for (const MapDisc& disc : drawing.discs) {
      const QPointF centre = painter.toDevice(disc.centre, 1200);
      QCOMPARE(image.pixelColor(centre.toPoint()).name(), hex(disc.fill));
      colours.insert(hex(disc.fill));
    }
    QVERIFY(colours.size() >= 2); // major and ordinary stations
  }

  // A map far taller than wide is scaled down until the raster engine can paint it
  // whole, and the export says so.
  void tallMapsAreScaledDownWhole() {
    std::unique_ptr<tlp::Graph> graph(tlp::newGraph());
    auto* layout = graph->getProperty<tlp::LayoutProperty>("viewLayout");
    const tlp::Coord corners[] = {{0, 0, 0}, {40, 0, 0}, {0, 1000, 0}};
    for (const tlp::Coord& corner : corners)
      layout->setNodeValue(graph->addNode(), corner);
    const tlp::node top = graph->nodes().back();
    graph->getProperty<tlp::ColorProperty>("viewColor")->setNodeValue(top, {200, 0, 0, 255});
    QTemporaryDir dir;
    QString error;
    std::ostringstream notice;
    std::streambuf* stderrBuffer = std::cerr.rdbuf(notice.rdbuf());
    const bool written = exportMap(graph.get(), dir.path() + "/tall.png", MapFormat::Png, 2400, error);
    std::cerr.rdbuf(stderrBuffer);
    QVERIFY2(written, qPrintable(error));
    QVERIFY(notice.str().find("scaled down") != std::string::npos);
    const QImage image(dir.path() + "/tall.png");
    QVERIFY(image.height() <= 32767 && image.width() < 2400);
    const MapPainter painter(collectMapDrawing(graph.get()));
    const QPointF centre = painter.toDevice(corners[2], image.width());
    QCOMPARE(image.pixelColor(centre.toPoint()), QColor(200, 0, 0));
  }

  // Unknown formats, bad widths and unwritable places fail without touching or
  // leaving any file.
  void failedExportsLeaveEarlierFilesAlone() {
    QTemporaryDir dir;
    const QString kept = dir.path() + "/map.svg";
    {
      QFile file(kept);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("earlier");
    }
    const std::pair<QStringList, std::string> cases[] = {
        {exampleArguments() << dir.path() + "/map.pdf", ".tlp, .svg or .png"},
        {QStringList{"--width", "0"} << exampleArguments() << kept, ""},
        {exampleArguments() << kept + "/map.svg", "Could not write file"},
        {exampleArguments() << kept + "/map.png", "Could not write file"},
        {exampleArguments() << kept + "/map.tlp", "Could not write file"}};
    for (const auto& [arguments, message] : cases) {
      const ProgramResult result = runProgram("textferro-export", arguments);
      QCOMPARE(result.exitCode, 1);
      QVERIFY2(result.err.find(message) != std::string::npos, result.err.c_str());
    }
    QFile file(kept);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("earlier"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"map.svg"});
  }
};

QTEST_MAIN(TestMapExport)
#include "test_mapexport.moc"
