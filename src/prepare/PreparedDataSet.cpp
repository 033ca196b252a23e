#include "prepare/PreparedDataSet.h"

#include <algorithm>

QString Series::timelineLine() const {
  QStringList parts;
  for (const auto& [step, cluster] : items)
    parts << QString("%1=%2").arg(step).arg(cluster);
  return QString("%1 document%2: ").arg(documents).arg(documents == 1 ? "" : "s") + parts.join(',');
}

std::vector<Series> groupSeries(std::vector<std::vector<ClusterItem>> sequences) {
  std::sort(sequences.begin(), sequences.end());
  std::vector<Series> series;
  for (std::size_t i = 0; i < sequences.size();) {
    std::size_t j = i;
    while (j < sequences.size() && sequences[j] == sequences[i])
      ++j;
    if (!sequences[i].empty())
      series.push_back({static_cast<int>(j - i), sequences[i]});
    i = j;
  }
  std::stable_sort(series.begin(), series.end(),
                   [](const Series& a, const Series& b) { return a.documents > b.documents; });
  return series;
}
