#ifndef TEXTFERRO_TESTS_MAPSESSION_H
#define TEXTFERRO_TESTS_MAPSESSION_H

// A session in the main window by real events, for the tests and the soak benchmark:
// flow toggles with colourings, detail windows opened from the clouds, and a census
// of what the session must not leave behind.

#include "tagcloud/tagcloud.h"

#include <QApplication>
#include <QtTest>

#include <tulip/GlMainWidget.h>
#include <tulip/Graph.h>

#include <algorithm>
#include <tuple>

// Widgets, subgraphs of the map and the map's own properties.
inline std::tuple<int, unsigned int, std::size_t> sessionCensus(tlp::Graph* map) {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return {QApplication::allWidgets().size(), map->numberOfSubGraphs(),
          tlp::iteratorVector(map->getLocalProperties()).size()};
}

// Each round a middle click at `second`, then `first`, in turn, and the digit key of
// the round's last figure, so that every ten rounds end in the same colours.
inline void playColourings(tlp::GlMainWidget* view, QPoint first, QPoint second, int rounds) {
  for (int round = 0; round < rounds; ++round) {
    QTest::mouseClick(view, Qt::MiddleButton, Qt::NoModifier, round % 2 ? first : second);
    QTest::keyClick(view, static_cast<Qt::Key>(Qt::Key_0 + round % 10));
    QCoreApplication::processEvents();
  }
}

// `count` left clicks on the tag clouds of the main window, in turn, in the order of
// their colours (not of their making, which changes as clouds go and come back).
inline void openDetailWindows(QWidget* mainWindow, int count) {
  QList<QTagCloud*> clouds = mainWindow->findChildren<QTagCloud*>();
  std::sort(clouds.begin(), clouds.end(),
            [](QTagCloud* a, QTagCloud* b) { return a->tagColor().rgba() < b->tagColor().rgba(); });
  for (int index = 0; index < count && !clouds.isEmpty(); ++index)
    QTest::mouseClick(clouds.at(index % clouds.size())->viewport(), Qt::LeftButton);
  QCoreApplication::processEvents();
}

#endif
