// The detail window on screen: its frame and its OpenGL view.

#include "DetailFixture.h"

#include "clusterflow/TulipSetup.h"

#include <QSplitter>
#include <QtTest>

#include <tulip/BooleanProperty.h>
#include <tulip/GlGraphComposite.h>
#include <tulip/GlGraphInputData.h>
#include <tulip/GlMainWidget.h>
#include <tulip/GlScene.h>

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
    QImage background(picture.size(), picture.format());
    background.fill(picture.pixel(0, 0));
    QVERIFY(picture != background);
  }
};

QTEST_MAIN(TestDetailWindow)
#include "test_detail_window.moc"
