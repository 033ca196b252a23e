// The tag-cloud matrix of the main window on the bundled example: clouds made
// as colours are first used, kept in step with colourings and membership, the
// frequency order, and, through the real map view, a middle click and digit keys
// filling clouds and the detail window opened from them.

#include "app/FerroInterface.h"
#include "clusterflow/TulipSetup.h"
#include "detail/DynamicGraphSmallMultiples.h"
#include "interaction/ClusterFlowInteractor.h"
#include "interaction/GlyphSetup.h"
#include "support/ExampleMap.h"
#include "tagcloud/tagcache.h"
#include "tagcloud/tagcloud.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QSet>
#include <QtTest>

#include <tulip/BooleanProperty.h>
#include <tulip/Graph.h>

namespace {

// Every tag of the station's tag file.
QSet<QString> tagsOf(tlp::node n) {
  QFile file(exampleDir + "/tags/energy" + nodeToFileId.at(n) + ".tags");
  const QStringList tags = loadTags(file).keys();
  return QSet<QString>(tags.begin(), tags.end());
}

// The words a cloud shows.
QSet<QString> wordsOf(QTagCloud* cloud) {
  QSet<QString> words;
  for (const TagPair& pair : cloud->pairs())
    words.insert(pair.first);
  return words;
}

tlp::node station(int cluster, int time) {
  return clusterTimeToNode.at(cluster).at(time);
}

// The main window on the loaded example, as the program shows it.
struct Window {
  QMainWindow main{nullptr, Qt::WindowFlags()};
  FerroInterface controller{&main};

  Window() {
    // The previous window deleted the process's tag cache; set one up as the loader does.
    if (::tagCache == nullptr) {
      ::tagCache = new TagCache();
      ::tagCache->setTagDirPath(exampleDir + "/tags");
      ::tagCache->setTagFileExtension(".tags");
    }
    controller.initInterface();
  }
};

} // namespace

class TestTagCloudMatrix : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() {
    initTulip();
    initGlyphs();
    graph = loadExample();
    QVERIFY(graph != nullptr);
  }

  void cloudsFollowColouringsMembershipAndOrder() {
    Window window;
    FerroInterface& c = window.controller;
    const tlp::node solar = station(1, 1), wind = station(2, 1);
    for (int index : {7, 2, 5})
      c.handleColourPathsChanged(index, idToColour[index], {solar});
    // Two clouds a row, in order of first use.
    const int cells[][3] = {{7, 0, 0}, {2, 0, 1}, {5, 1, 0}};
    for (const auto& [index, row, column] : cells) {
      QTagCloud* cloud = c.tagCloudHash.value(index);
      QCOMPARE(c.tagCloudMatrix->itemAtPosition(row, column)->widget(),
               static_cast<QWidget*>(cloud));
      QCOMPARE(wordsOf(cloud), tagsOf(solar));
    }
    // Using a colour again keeps its cloud and its colour, and replaces its stations.
    QTagCloud* seven = c.tagCloudHash.value(7);
    c.handleColourPathsChanged(7, idToColour[0], {wind});
    QCOMPARE(c.tagCloudHash.size(), 3);
    QCOMPARE(c.tagCloudHash.value(7), seven);
    QCOMPARE(seven->tagColor(), QColor(254, 151, 41));
    QCOMPARE(c.fileNameHash.value(7), QStringList{"energy.t1.c2"});
    QCOMPARE(wordsOf(seven), tagsOf(wind));

    // Leaving stations removes every occurrence of them.
    c.handleColourPathsChanged(4, idToColour[4], {solar, wind, solar});
    c.handleChangedMembership(4, {solar});
    QCOMPARE(c.fileNameHash.value(4), QStringList{"energy.t1.c2"});
    QCOMPARE(wordsOf(c.tagCloudHash.value(4)), tagsOf(wind));
    c.handleChangedMembership(4, {wind});
    QVERIFY(c.fileNameHash.value(4).isEmpty() && c.tagCloudHash.value(4)->pairs().isEmpty());
    // A colour that never had a cloud gets none.
    c.handleChangedMembership(9, {wind});
    QVERIFY(!c.tagCloudHash.contains(9));

    // The frequency order switches every cloud, also one of several stations.
    c.handleColourPathsChanged(2, idToColour[2], {station(3, 2), station(3, 3)});
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
    QVERIFY(ordered(false));
    c.actionOrder_by_Frequency->setChecked(true);
    QVERIFY(ordered(true) && !ordered(false));
    c.actionOrder_by_Frequency->setChecked(false);
    QVERIFY(ordered(false));
  }

  void mapViewColoursFlowsAndCloudsOpenDetails() {
    auto detailWindows = [] {
      int count = 0;
      for (QWidget* widget : QApplication::topLevelWidgets())
        count += qobject_cast<DynamicGraphSmallMultiples*>(widget) != nullptr;
      return count;
    };
    const unsigned subgraphsBefore = graph->numberOfSubGraphs();
    {
      Window window;
      window.main.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window.main));
      tlp::GlMainWidget* view = window.controller.ferroMapView;
      auto* selection = graph->getProperty<tlp::BooleanProperty>("viewSelection");

      // The hydrogen line starts late, at cluster 9 of time step 5.
      const tlp::node hydrogen = station(9, 5);
      QTest::mouseClick(view, Qt::MiddleButton, Qt::NoModifier,
                        projectedCentre(view, graph, hydrogen));
      QVERIFY(selection->getNodeValue(hydrogen) && selection->getNodeValue(station(9, 6)));
      QTest::keyClick(view, Qt::Key_6);
      QTagCloud* cloud = window.controller.tagCloudHash.value(6);
      QVERIFY(cloud != nullptr && !selection->getNodeValue(hydrogen));
      QStringList ids = window.controller.fileNameHash.value(6); // in the graph's node order
      ids.sort();
      QCOMPARE(ids, (QStringList{"energy.t5.c9", "energy.t6.c9"}));
      QVERIFY(wordsOf(cloud).contains("hydrogen"));
      QVERIFY((tagsOf(hydrogen) + tagsOf(station(9, 6))).contains(wordsOf(cloud)));
      // Its cloud opens the line's detail window: a cell per station with its
      // counts and tags.
      QTest::mouseClick(cloud->viewport(), Qt::LeftButton);
      QCOMPARE(window.controller.detailView->smallMultiplesMatrix->count(), 2);
      for (int p = 0; p < 2; ++p) {
        const tlp::node n = station(9, 5 + p);
        QWidget* cell =
            window.controller.detailView->smallMultiplesMatrix->itemAtPosition(0, p)->widget();
        QCOMPARE(cell->findChild<QLabel*>()->text(),
                 QString::fromStdString(createLabel(p, numObjects(n), numFeatures(n))));
        QVERIFY(numObjects(n) > 0 && !wordsOf(cell->findChild<QTagCloud*>()).isEmpty());
        QVERIFY(tagsOf(n).contains(wordsOf(cell->findChild<QTagCloud*>())));
      }

      // Colour the flow of one station of time step 1 with each of the ten keys,
      // then open the detail window from each cloud: it replaces the last one.
      for (int index = 0; index < 10; ++index) {
        selectNodeFlow(graph, station(index % 5 + 1, 1), false);
        QTest::keyClick(view, static_cast<Qt::Key>(Qt::Key_0 + index));
      }
      QCOMPARE(window.controller.tagCloudHash.size(), 10);
      for (int index = 0; index < 10; ++index) {
        QTest::mouseClick(window.controller.tagCloudHash.value(index)->viewport(), Qt::LeftButton);
        QCOMPARE(detailWindows(), 1);
        QVERIFY(window.controller.detailView->isVisible());
        QCOMPARE(graph->numberOfSubGraphs(), subgraphsBefore + 1);
      }
    }
    QCOMPARE(detailWindows(), 0);
    QCOMPARE(graph->numberOfSubGraphs(), subgraphsBefore);
  }

private:
  tlp::Graph* graph = nullptr;
};

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  TestTagCloudMatrix test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_tag_cloud_matrix.moc"
