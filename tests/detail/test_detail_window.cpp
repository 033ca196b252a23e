// The detail window on screen: its frame, its OpenGL view, and the way from a
// coloured line of the example map to the cells with the example's tags.

#include "DetailFixture.h"

#include "clusterflow/TulipSetup.h"
#include "tagcloud/tagcache.h"

#include <QFile>
#include <QSet>
#include <QSplitter>
#include <QTextStream>
#include <QtTest>

#include <tulip/BooleanProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlGraphInputData.h>
#include <tulip/GlMainWidget.h>
#include <tulip/GlScene.h>

namespace {

const QString kExample = QString(TEXTFERRO_EXAMPLES) + "/energy";

QSet<QString> tagsInFile(const QString& path) {
  QSet<QString> tags;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
    return tags;
  QTextStream in(&file);
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (!line.isEmpty())
      tags.insert(line.section('\t', 0, 0));
  }
  return tags;
}

} // namespace

class TestDetailWindow : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { initTulip(); }
  void windowFrameAndUpperView();
  void colouredExampleLineFillsTheCells();
};

void TestDetailWindow::windowFrameAndUpperView() {
  MetroGraph metro({"R", "A", "B", "C", "D"}, {"R>A", "R>B", "A>C", "B>D"});
  QWidget owner;
  InspectableDetails details(&owner);
  details.initialize(metro.graph, 2, "news", nullptr, nullptr, &metro.fileIds, &metro.documents,
                     &metro.terms);
  details.show();
  QVERIFY(QTest::qWaitForWindowExposed(&details));

  QVERIFY(details.isWindow());
  QCOMPARE(details.windowTitle(), QString("Metro Line Details"));
  QCOMPARE(details.size(), QSize(1440, 900));
  QCOMPARE(details.splitter->orientation(), Qt::Vertical);
  const QList<int> sizes = details.splitter->sizes();
  QCOMPARE(sizes.size(), 2);
  QVERIFY2(qAbs(sizes[0] * 60 - sizes[1] * 40) <= 60 + 40,
           qPrintable(QString("%1 : %2").arg(sizes[0]).arg(sizes[1])));

  // The view shows the colour's subgraph with its own selection and settings.
  tlp::GlGraphComposite* composite = details.localPathView->getScene()->getGlGraphComposite();
  QVERIFY(composite != nullptr);
  QCOMPARE(composite->getGraph(), details.indexSubGraph);
  QCOMPARE(composite->getInputData()->getElementSelected(),
           details.indexSubGraph->getLocalProperty<tlp::BooleanProperty>("viewSelection"));
  const tlp::GlGraphRenderingParameters& parameters = composite->getRenderingParameters();
  QVERIFY(!parameters.isEdgeColorInterpolate());
  QVERIFY(parameters.isEdgeSizeInterpolate());
  QVERIFY(!parameters.isViewArrow());
  QVERIFY(parameters.isAntialiased());
  QVERIFY(parameters.isViewNodeLabel());

  // Keys typed into the upper view reach the window; walking paths on screen
  // redraws the view and the cells.
  QTest::keyClick(details.localPathView, Qt::Key_Down);
  QCOMPARE(pathOf(details, metro), QString("R-B-D"));
  const QImage picture = details.localPathView->createPicture(320, 200, false);
  QCOMPARE(picture.size(), QSize(320, 200));
  QSet<QRgb> colours;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      colours.insert(picture.pixel(x, y));
  // More than the background: the stations and lines are drawn.
  QVERIFY(colours.size() > 1);
  QCOMPARE(details.smallMultiplesMatrix->count(), 3);
}

void TestDetailWindow::colouredExampleLineFillsTheCells() {
  QList<QByteArray> arguments{"textferro",
                              (kExample + "/timeline.txt").toLocal8Bit(),
                              (kExample + "/clusters/step").toLocal8Bit(),
                              "obj",
                              "feat",
                              (kExample + "/tags").toLocal8Bit(),
                              "energy",
                              "tags"};
  std::vector<char*> argv;
  for (QByteArray& argument : arguments)
    argv.push_back(argument.data());
  QCOMPARE(loadFiles(int(argv.size()), argv.data(), false), 0);
  tlp::Graph* graph = getClusterFlowGraph();

  // Colour the line "solar" (cluster 1 at every time step) the way the digit keys do.
  auto* colourId = graph->getProperty<tlp::IntegerProperty>("Colour ID");
  std::vector<tlp::node> line;
  for (int time = 1; time <= 6; ++time) {
    line.push_back(clusterTimeToNode[1][time]);
    colourId->setNodeValue(line.back(), 3);
  }
  NodeToCount documents, terms;
  for (tlp::node n : graph->nodes()) {
    documents[n] = numObjects(n);
    terms[n] = numFeatures(n);
  }
  QTagCloud macroCloud;
  macroCloud.setMinFontSize(14);
  macroCloud.setMaxFontSize(35);
  macroCloud.setTagFont(QFont("Verdana"));
  NodeToFileId fileIds = getNodeToFileId();

  InspectableDetails details;
  details.initialize(graph, 3, getTagCloudStub(), &macroCloud, getTagCloudCache(), &fileIds,
                     &documents, &terms);
  details.show();
  QVERIFY(QTest::qWaitForWindowExposed(&details));

  QCOMPARE(details.curPath.size(), line.size());
  for (std::size_t p = 0; p < line.size(); ++p)
    QCOMPARE(details.curPath[p].first, line[p]);
  QCOMPARE(details.widgetSeries.size(), std::size_t(6));
  for (int p = 0; p < 6; ++p) {
    const tlp::node station = line[p];
    QCOMPARE(captionAt(details, p / 3, p % 3)->text(),
             QString::fromStdString(createLabel(p, numObjects(station), numFeatures(station))));
    QVERIFY(numObjects(station) > 0);
    const QSet<QString> fileTags =
        tagsInFile(kExample + "/tags/energy" + fileIds.at(station) + ".tags");
    const QList<TagPair> shown = details.widgetSeries[p]->pairs();
    QVERIFY(!shown.isEmpty());
    for (const TagPair& tag : shown)
      QVERIFY2(fileTags.contains(tag.first), qPrintable(tag.first));
  }
  QCOMPARE(graph->numberOfSubGraphs(), 1u);
}

QTEST_MAIN(TestDetailWindow)
#include "test_detail_window.moc"
