// The detail window on screen: its frame, its OpenGL view, and the way from a
// coloured line of the example map to the cells with the example's tags.

#include "DetailFixture.h"

#include "clusterflow/TulipSetup.h"
#include "support/ExampleMap.h"
#include "tagcloud/tagcache.h"

#include <QFile>
#include <QSet>
#include <QSplitter>
#include <QtTest>

#include <tulip/BooleanProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlGraphInputData.h>

class TestDetailWindow : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { initTulip(); }

  void windowFrameAndUpperView() {
    MetroGraph metro("R A B C D", "R>A R>B A>C B>D");
    QWidget owner;
    InspectableDetails details(&owner);
    metro.open(details);
    details.show();
    QVERIFY(QTest::qWaitForWindowExposed(&details));
    QVERIFY(details.isWindow());
    QCOMPARE(details.windowTitle(), QString("Metro Line Details"));
    QCOMPARE(details.size(), QSize(1440, 900));
    QCOMPARE(details.splitter->orientation(), Qt::Vertical);
    const QList<int> sizes = details.splitter->sizes();
    QVERIFY2(sizes.size() == 2 && qAbs(sizes[0] * 60 - sizes[1] * 40) <= 100,
             qPrintable(QString("%1 : %2").arg(sizes[0]).arg(sizes.value(1))));

    // The view shows the colour's subgraph with its own selection and settings.
    tlp::GlGraphComposite* composite = details.localPathView->getScene()->getGlGraphComposite();
    QVERIFY(composite != nullptr);
    QCOMPARE(composite->getGraph(), details.indexSubGraph);
    QCOMPARE(composite->getInputData()->getElementSelected(),
             details.indexSubGraph->getLocalProperty<tlp::BooleanProperty>("viewSelection"));
    const tlp::GlGraphRenderingParameters& parameters = composite->getRenderingParameters();
    QVERIFY(!parameters.isEdgeColorInterpolate() && parameters.isEdgeSizeInterpolate());
    QVERIFY(!parameters.isViewArrow() && parameters.isAntialiased() &&
            parameters.isViewNodeLabel());

    // Keys typed into the upper view reach the window; the redrawn view shows
    // more than its background.
    QTest::keyClick(details.localPathView, Qt::Key_Down);
    QCOMPARE(pathOf(details, metro), QString("R-B-D"));
    QCOMPARE(details.smallMultiplesMatrix->count(), 3);
    const QImage picture = details.localPathView->createPicture(320, 200, false);
    QCOMPARE(picture.size(), QSize(320, 200));
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x)
        colours.insert(picture.pixel(x, y));
    QVERIFY(colours.size() > 1);
  }

  void colouredExampleLineFillsTheCells() {
    tlp::Graph* graph = loadExample();
    QVERIFY(graph != nullptr);
    // Colour the line "solar" (cluster 1 at every time step) the way the digit keys do.
    std::vector<tlp::node> line;
    for (int time = 1; time <= 6; ++time) {
      line.push_back(clusterTimeToNode[1][time]);
      graph->getProperty<tlp::IntegerProperty>("Colour ID")->setNodeValue(line.back(), 3);
    }
    NodeToCount documents, terms;
    for (tlp::node n : graph->nodes()) {
      documents[n] = numObjects(n);
      terms[n] = numFeatures(n);
    }
    QTagCloud macroCloud;
    NodeToFileId fileIds = getNodeToFileId();
    InspectableDetails details;
    details.initialize(graph, 3, getTagCloudStub(), &macroCloud, getTagCloudCache(), &fileIds,
                       &documents, &terms);
    details.show();
    QVERIFY(QTest::qWaitForWindowExposed(&details));

    QCOMPARE(details.curPath.size(), line.size());
    QCOMPARE(details.widgetSeries.size(), std::size_t(6));
    for (int p = 0; p < 6; ++p) {
      const tlp::node station = line[p];
      QCOMPARE(details.curPath[p].first, station);
      QVERIFY(numObjects(station) > 0);
      QCOMPARE(captionAt(details, p / 3, p % 3)->text(),
               QString::fromStdString(createLabel(p, numObjects(station), numFeatures(station))));
      QFile file(exampleDir + "/tags/energy" + fileIds.at(station) + ".tags");
      const TagMap fileTags = loadTags(file);
      const QList<TagPair> shown = details.widgetSeries[p]->pairs();
      QVERIFY(!shown.isEmpty());
      for (const TagPair& tag : shown)
        QVERIFY2(fileTags.contains(tag.first), qPrintable(tag.first));
    }
    QCOMPARE(graph->numberOfSubGraphs(), 1u);
  }
};

QTEST_MAIN(TestDetailWindow)
#include "test_detail_window.moc"
