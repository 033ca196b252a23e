#include "prepare/Preparation.h"

#include "prepare/DocumentTable.h"
#include "prepare/TermWeights.h"
#include "prepare/WindowClustering.h"

#include <QElapsedTimer>
#include <QHash>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <numeric>
#include <thread>

struct Preparation::Work {
  struct Window {
    std::vector<int> members; // indices into table.documents, by date
    std::vector<int> cluster; // per member, from 1
  };

  const PrepareOptions& options;
  DocumentTable table;
  TermWeights terms;       // rows parallel to table.documents
  std::vector<int> usable; // documents that take part, by date or step
  std::vector<Window> windows;
  PreparedDataSet dataSet;
};

namespace {

std::mutex progressMutex;

qint64 sortKey(const Document& document, bool bySteps) {
  return bySteps ? document.step : document.dateKey;
}

// A given cluster's label as its only term: feature files split at commas.
QString labelTerm(const QString& label) {
  return QString(label).replace(',', ' ').simplified();
}

// Sums of term weights over a cluster's documents, in one array over the
// vocabulary that is reused from cluster to cluster (a map per cluster would
// dominate the time of this phase).
class TermSums {
public:
  explicit TermSums(const TermWeights& terms) : terms(terms), sums(terms.terms.size(), 0.0) {}

  // The mean of the members' rows, heaviest terms first (equal weights by term).
  std::vector<std::pair<QString, double>> mean(const std::vector<int>& members, int keep) {
    for (int member : members) {
      if (member >= static_cast<int>(terms.rows.size()))
        continue;
      for (const auto& [term, weight] : terms.rows[member]) {
        if (sums[term] == 0.0)
          touched.push_back(term);
        sums[term] += weight;
      }
    }
    std::sort(touched.begin(), touched.end());
    std::vector<std::pair<QString, double>> mean;
    for (quint32 term : touched) {
      mean.emplace_back(terms.terms[term], sums[term] / members.size());
      sums[term] = 0.0;
    }
    touched.clear();
    std::stable_sort(mean.begin(), mean.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    if (static_cast<int>(mean.size()) > keep)
      mean.resize(keep);
    return mean;
  }

private:
  const TermWeights& terms;
  std::vector<double> sums;
  std::vector<quint32> touched;
};

// Runs task(0) to task(count - 1) on as many threads as there are cores, each
// index once, in no defined order.
void forEachWindowInParallel(std::size_t count, const std::function<void(std::size_t)>& task) {
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i; (i = next++) < count;)
      task(i);
  };
  const std::size_t threads =
      std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), count);
  std::vector<std::thread> helpers;
  for (std::size_t i = 1; i < threads; ++i)
    helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers)
    helper.join();
}

} // namespace

Preparation::Preparation(Progress progress) : progress(std::move(progress)) {}

void Preparation::report(const QString& line) {
  if (!progress)
    return;
  const std::lock_guard<std::mutex> lock(progressMutex);
  progress(line);
}

void Preparation::reportPhase(const QString& what, qint64 milliseconds, std::size_t documents) {
  const double seconds = milliseconds / 1000.0;
  QString line =
      QString("%1: %2 documents in %3 s").arg(what).arg(documents).arg(seconds, 0, 'f', 1);
  if (milliseconds >= 100)
    line += QString(" (%1 documents per second)").arg(qRound64(documents / seconds));
  report(line);
}

bool Preparation::run(const QString& tablePath, const QString& folder,
                      const PrepareOptions& options, QString& error) {
  skippedDocuments.clear();
  if (!DataSetWriter::checkTarget(folder, options.writer.force, error))
    return false;
  Work work{options, {}, {}, {}, {}, {}};
  QElapsedTimer clock;
  clock.start();
  report("Reading " + tablePath);
  if (!readDocumentTable(tablePath, work.table, error))
    return false;
  const std::size_t documents = work.table.documents.size();
  reportPhase("Reading", clock.restart(), documents);
  if (!weighTerms(work, error))
    return false;
  if (work.table.hasText)
    reportPhase("Terms", clock.restart(), documents);
  cutWindows(work);
  if (!(work.table.hasClusters ? takeGivenClusters(work, error) : clusterWindows(work, error)))
    return false;
  reportPhase("Clustering", clock.restart(), documents);
  describeStations(work);
  if (!DataSetWriter::write(work.dataSet, folder, options.writer, error))
    return false;
  reportPhase("Writing", clock.restart(), documents);
  report(QString("Wrote %1: %2 time steps, %3 series")
             .arg(folder)
             .arg(work.dataSet.steps.size())
             .arg(work.dataSet.series.size()));
  return true;
}

bool Preparation::weighTerms(Work& work, QString& error) {
  std::vector<Document>& documents = work.table.documents;
  work.usable.resize(documents.size());
  std::iota(work.usable.begin(), work.usable.end(), 0);
  if (!work.table.hasText)
    return true;
  report("Finding terms");
  TermOptions termOptions{work.options.minDf, work.options.maxDf, {}};
  if (!TermWeights::loadStopWords(work.options.stopWordsFile, termOptions.stopWords, error))
    return false;
  std::vector<QByteArray> texts;
  texts.reserve(documents.size());
  for (Document& document : documents)
    texts.push_back(std::move(document.text));
  QString reason;
  if (!work.terms.build(texts, termOptions, reason)) {
    if (!work.table.hasClusters) {
      error = work.table.path + ": " + reason;
      return false;
    }
    report(reason + "; the clusters are described by their labels");
    return true;
  }
  if (work.table.hasClusters)
    return true;
  work.usable.clear();
  for (std::size_t i = 0; i < documents.size(); ++i) {
    if (work.terms.rows[i].empty())
      skippedDocuments.push_back({work.table.path, documents[i].line, "no usable words"});
    else
      work.usable.push_back(static_cast<int>(i));
  }
  if (work.usable.empty()) {
    error = work.table.path + ": no document holds a word of the vocabulary";
    return false;
  }
  return true;
}

void Preparation::cutWindows(Work& work) {
  const std::vector<Document>& documents = work.table.documents;
  const bool bySteps = work.table.hasSteps;
  std::stable_sort(work.usable.begin(), work.usable.end(), [&](int a, int b) {
    return sortKey(documents[a], bySteps) < sortKey(documents[b], bySteps);
  });
  if (bySteps) {
    for (std::size_t i = 0; i < work.usable.size(); ++i) {
      if (i == 0 || documents[work.usable[i]].step != documents[work.usable[i - 1]].step)
        work.windows.emplace_back();
      work.windows.back().members.push_back(work.usable[i]);
    }
    return;
  }
  WindowOptions windowOptions = work.options.windows;
  if (work.table.hasClusters)
    windowOptions.overlap = 0; // a given cluster belongs to its date's step alone
  std::vector<qint64> keys;
  for (int document : work.usable)
    keys.push_back(documents[document].dateKey);
  for (const std::vector<int>& window : timeWindows(keys, windowOptions)) {
    work.windows.emplace_back();
    for (int position : window)
      work.windows.back().members.push_back(work.usable[position]);
  }
  if (static_cast<int>(work.windows.size()) < windowOptions.steps)
    report(QString("%1 time steps instead of %2: documents of one date stay together, and empty or "
                   "repeated windows are left out")
               .arg(work.windows.size())
               .arg(windowOptions.steps));
}

bool Preparation::clusterWindows(Work& work, QString& error) {
  if (!checkClusterCounts(work, error))
    return false;
  std::atomic<bool> failed{false};
  forEachWindowInParallel(work.windows.size(), [&](std::size_t w) {
    if (failed)
      return;
    Work::Window& window = work.windows[w];
    std::vector<const SparseRow*> rows;
    for (int member : window.members)
      rows.push_back(&work.terms.rows[member]);
    const int asked = work.options.clusters;
    const int count = asked > 0 ? asked : defaultClusterCount(static_cast<int>(rows.size()));
    try {
      window.cluster = clusterRows(rows, count, work.options.seed + 104729 * (w + 1));
    } catch (const std::exception& exception) { // Armadillo reports failures this way
      if (!failed.exchange(true))
        error = QString("Clustering time step %1 failed: %2").arg(w + 1).arg(exception.what());
      return;
    }
    report(QString("Clustered time step %1 of %2: %3 documents, %4 clusters")
               .arg(w + 1)
               .arg(work.windows.size())
               .arg(rows.size())
               .arg(*std::max_element(window.cluster.begin(), window.cluster.end())));
  });
  return !failed;
}

bool Preparation::checkClusterCounts(const Work& work, QString& error) const {
  const std::vector<Document>& documents = work.table.documents;
  for (std::size_t w = 0; w < work.windows.size(); ++w) {
    const std::vector<int>& members = work.windows[w].members;
    if (work.options.clusters > static_cast<int>(members.size())) {
      error = QString("%1: time step %2 (%3 to %4) holds %5 documents, fewer than the %6 "
                      "clusters asked for; ask for fewer --clusters or --steps")
                  .arg(work.table.path)
                  .arg(w + 1)
                  .arg(documents[members.front()].date, documents[members.back()].date)
                  .arg(members.size())
                  .arg(work.options.clusters);
      return false;
    }
  }
  return true;
}

bool Preparation::takeGivenClusters(Work& work, QString& error) {
  for (std::size_t w = 0; w < work.windows.size(); ++w)
    if (!takeGivenClusters(work, w, error))
      return false;
  return true;
}

// Numbers the labels of one step by size. A document with several rows in the step
// counts once, and only if all its rows give the same label.
bool Preparation::takeGivenClusters(Work& work, std::size_t w, QString& error) {
  const std::vector<Document>& documents = work.table.documents;
  Work::Window& window = work.windows[w];
  QHash<QString, int> rowOfId;    // first row of each document in this step
  QHash<QString, int> labelIndex; // labels by first appearance
  std::vector<int> labels, members;
  for (int member : window.members) {
    const Document& document = documents[member];
    const auto seen = rowOfId.constFind(document.id);
    if (seen != rowOfId.constEnd()) {
      const Document& earlier = documents[*seen];
      if (earlier.cluster == document.cluster)
        continue;
      error = QString("%1, line %2: the document %3 is in cluster %4 here and in cluster %5 on "
                      "line %6, both in time step %7")
                  .arg(work.table.path)
                  .arg(document.line)
                  .arg(quotedValue(document.id), quotedValue(document.cluster),
                       quotedValue(earlier.cluster))
                  .arg(earlier.line)
                  .arg(w + 1);
      return false;
    }
    rowOfId.insert(document.id, member);
    auto label = labelIndex.constFind(document.cluster);
    if (label == labelIndex.constEnd())
      label = labelIndex.insert(document.cluster, labelIndex.size());
    labels.push_back(*label);
    members.push_back(member);
  }
  window.members = members;
  window.cluster = numberedBySize(labels, labelIndex.size());
  return true;
}

void Preparation::describeStations(Work& work) {
  const std::vector<Document>& documents = work.table.documents;
  const int keep = std::max(work.options.writer.topTerms, work.options.writer.tags);
  QHash<QString, std::vector<ClusterItem>> paths;
  TermSums sums(work.terms);
  for (std::size_t w = 0; w < work.windows.size(); ++w) {
    const Work::Window& window = work.windows[w];
    const int clusters = *std::max_element(window.cluster.begin(), window.cluster.end());
    std::vector<std::vector<int>> membersOf(clusters);
    for (std::size_t i = 0; i < window.members.size(); ++i) {
      membersOf[window.cluster[i] - 1].push_back(window.members[i]);
      paths[documents[window.members[i]].id].push_back({int(w) + 1, window.cluster[i]});
    }
    Step step;
    const bool bySteps = work.table.hasSteps;
    const Document& first = documents[window.members.front()];
    const Document& last = documents[window.members.back()];
    step.firstDate = bySteps ? QString::number(first.step) : first.date;
    step.lastDate = bySteps ? QString::number(last.step) : last.date;
    step.documents = static_cast<int>(window.members.size());
    for (const std::vector<int>& members : membersOf) {
      Station station;
      for (int member : members)
        station.documents << documents[member].id;
      station.terms = sums.mean(members, keep);
      if (station.terms.empty()) // a given cluster whose documents hold no term
        station.terms.emplace_back(labelTerm(documents[members.front()].cluster), 1.0);
      step.stations.push_back(std::move(station));
    }
    work.dataSet.steps.push_back(std::move(step));
  }
  std::vector<std::vector<ClusterItem>> sequences;
  for (auto& path : paths)
    sequences.push_back(std::move(path));
  work.dataSet.series = groupSeries(std::move(sequences));
}
