#ifndef TEXTFERRO_PREPAREDDATASET_H
#define TEXTFERRO_PREPAREDDATASET_H

// What a preparation found, ready to be written as a data set folder: per time
// step its clusters (stations) with their documents and weighted terms, and the
// series, the groups of documents that pass through the same clusters.

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

using ClusterItem = std::pair<int, int>; // (time step, cluster), both from 1

struct Station {
  QStringList documents;                         // ids, in date order
  std::vector<std::pair<QString, double>> terms; // heaviest first
};

struct Step {
  QString firstDate; // of the step's first and last documents, as written
  QString lastDate;
  int documents = 0;
  std::vector<Station> stations; // cluster n is stations[n - 1]
};

struct Series {
  int documents = 0;
  std::vector<ClusterItem> items; // by time step

  // The timeline line: "<n> documents: 1=3,2=5". The label never holds ':' or
  // ',', which would end it early or split an item.
  QString timelineLine() const;
};

struct PreparedDataSet {
  std::vector<Step> steps;
  std::vector<Series> series;
};

// One series per distinct sequence of (time step, cluster) items (each sequence
// sorted by step), with the number of documents that follow it; most documents
// first, equal counts in the order of their items. Empty sequences are dropped.
std::vector<Series> groupSeries(std::vector<std::vector<ClusterItem>> sequences);

#endif
