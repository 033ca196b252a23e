// The steps of a preparation that the fixture folders cannot pin down: dates,
// time windows and the clustering.

#include "prepare/DocumentDate.h"
#include "prepare/TimeWindows.h"
#include "prepare/TruncatedSvd.h"
#include "prepare/WindowClustering.h"

#include <QDateTime>
#include <gtest/gtest.h>

#include <map>
#include <set>

TEST(DocumentDates, YearsDatesAndDateTimesBecomeInstantsInUtc) {
  const std::pair<const char*, const char*> accepted[] = {
      {"1998", "1998-01-01T00:00:00.000Z"},
      {" 1998-04 ", "1998-04-01T00:00:00.000Z"},
      {"1998-04-17", "1998-04-17T00:00:00.000Z"},
      {"1998-04-17T09:30", "1998-04-17T09:30:00.000Z"}, // no zone: UTC, whatever the machine's
      {"1998-04-17 09:30:15,25", "1998-04-17T09:30:15.250Z"},
      {"1998-04-17T11:30+02:00", "1998-04-17T09:30:00.000Z"},
      {"1998-04-17T11:30:00+0200", "1998-04-17T09:30:00.000Z"},
      {"1998-04-17T04:30-05", "1998-04-17T09:30:00.000Z"},
      {"2000-02-29T23:59:59.999Z", "2000-02-29T23:59:59.999Z"}};
  for (const auto& [text, instant] : accepted) {
    qint64 key = 0;
    EXPECT_TRUE(parseDocumentDate(text, key)) << text;
    EXPECT_EQ(QDateTime::fromMSecsSinceEpoch(key, Qt::UTC).toString(Qt::ISODateWithMs), instant);
  }
  for (const char* refused : {"", "98", "1998/04/17", "17.04.1998", "1998-13-01", "1999-02-29",
                              "1998-04-17T24:00", "1998-04-17T09:30+25:00", "1998-04-17T"}) {
    qint64 key = 42;
    EXPECT_FALSE(parseDocumentDate(refused, key)) << refused;
    EXPECT_EQ(key, 42);
  }
}

TEST(TimeWindows, WindowsOverlapByCountOrSpanKeepDatesTogetherAndSkipEmptyOnes) {
  using Windows = std::vector<std::vector<int>>;
  const struct {
    const char* name;
    std::vector<qint64> keys;
    WindowOptions options;
    Windows windows;
  } cases[] = {
      {"a document on an edge opens the next window",
       {1, 2, 3, 4, 5, 6},
       {3, WindowMode::Count, 0},
       {{0, 1}, {2, 3}, {4, 5}}},
      {"half overlap: both ends in one window, the rest in two",
       {1, 2, 3, 4, 5, 6, 7, 8},
       {3, WindowMode::Count, 0.5},
       {{0, 1, 2, 3}, {2, 3, 4, 5}, {4, 5, 6, 7}}},
      {"a date across an edge stays in the earlier window",
       {1, 2, 2, 2, 5, 6},
       {2, WindowMode::Count, 0},
       {{0, 1, 2, 3}, {4, 5}}},
      {"equal spans, the last one holding its end",
       {0, 1, 2, 10, 30},
       {3, WindowMode::Calendar, 0},
       {{0, 1, 2}, {3}, {4}}},
      {"an empty span is left out", {0, 1, 29, 30}, {3, WindowMode::Calendar, 0}, {{0, 1}, {2, 3}}},
      {"spans overlap like counts",
       {0, 10, 20, 30, 40},
       {3, WindowMode::Calendar, 0.5},
       {{0, 1}, {1, 2}, {2, 3, 4}}},
      {"one date is one window", {5, 5, 5}, {4, WindowMode::Calendar, 0.5}, {{0, 1, 2}}},
      {"a window that repeats the one before is left out",
       {1, 1, 1, 2, 2, 2},
       {4, WindowMode::Count, 0.5},
       {{0, 1, 2}, {3, 4, 5}}},
      {"more steps than documents", {1, 2}, {5, WindowMode::Count, 0}, {{0}, {1}}},
  };
  for (const auto& row : cases)
    EXPECT_EQ(timeWindows(row.keys, row.options), row.windows) << row.name;
}

TEST(WindowClustering, FindsPlantedTopicsNumberedBySizeWithTheSingularValuesOfSvds) {
  // Eight topics of 30, 35, ... documents, each document using 20 of its topic's
  // 37 terms, and some noise across all terms.
  arma::arma_rng::set_seed(3);
  const arma::sp_mat noise = arma::sprandu<arma::sp_mat>(380, 300, 0.02) * 0.3;
  std::vector<SparseRow> rows;
  std::vector<int> topic;
  for (int t = 0; t < 8; ++t) {
    for (int d = 0; d < 30 + 5 * t; ++d) {
      std::map<quint32, float> row;
      for (int k = 0; k < 20; ++k)
        row[quint32(t * 37 + (d * 7 + k * 13) % 37)] += 1.0f;
      for (auto it = noise.begin_row(topic.size()); it != noise.end_row(topic.size()); ++it)
        row[quint32(it.col())] += float(*it);
      rows.emplace_back(row.begin(), row.end());
      topic.push_back(t);
    }
  }
  arma::sp_mat matrix(rows.size(), 300);
  for (std::size_t d = 0; d < rows.size(); ++d)
    for (const auto& [term, weight] : rows[d])
      matrix(d, term) = weight;
  arma::mat u, v;
  arma::vec s;
  ASSERT_TRUE(arma::svds(u, s, v, matrix, 8));
  const arma::vec ours = truncatedSvd(matrix, 8, 1).singularValues;
  ASSERT_EQ(ours.n_elem, 8u);
  for (arma::uword i = 0; i < 8; ++i)
    EXPECT_NEAR(ours(i), s(i), 0.01 * s(i)) << i;

  std::vector<const SparseRow*> pointers;
  for (const SparseRow& row : rows)
    pointers.push_back(&row);
  const std::vector<int> clusters = clusterRows(pointers, 8, 1);
  EXPECT_EQ(clusters, clusterRows(pointers, 8, 1));
  std::map<int, std::set<int>> topicsOfCluster;
  for (std::size_t d = 0; d < rows.size(); ++d)
    topicsOfCluster[clusters[d]].insert(topic[d]);
  ASSERT_EQ(topicsOfCluster.size(), 8u);
  for (const auto& [cluster, topics] : topicsOfCluster) // the largest topic is cluster 1
    EXPECT_EQ(topics, std::set<int>{8 - cluster}) << cluster;
}
