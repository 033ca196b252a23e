// Writes a synthetic cluster timeline with its cluster files and tag files, for tests
// and benchmarks. The same options and seed always give the same files.
//
// Clusters keep a hidden position within their time step; a cluster mostly flows on
// to the cluster at its own position at the next step, so lines run side by side.
// Splits send part of a cluster's series to a nearby second successor, merges send
// a cluster into its neighbour's successor, and the cluster numbers of each step are
// shuffled so that the numbers carry no order. Series start at step 1 or late, may
// stop early and may skip steps (gaps).
//
// Data clustered afresh in every window of a sliding time window looks different:
// clusters of one step have no successor of their own, series are short and jump to
// any cluster of the next step, and clusters differ much in size. --mix-rate,
// --max-length and --skew mimic that; at their defaults no random number is drawn
// for them, so earlier option sets give the same files as before.

#include "SeededRandom.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

struct Options {
  std::string out;
  std::uint64_t seed = 1;
  int steps = 6;
  int clusters = 8;
  long series = 40;
  double gapRate = 0.03;
  double lateRate = 0.2;
  double endRate = 0.02;
  double splitRate = 0.1;
  double mergeRate = 0.1;
  int maxGap = 3;
  int tags = 5;
  double mixRate = 0;  // chance per step to jump to any cluster
  int maxLength = 0;   // items per series at most, 0 for no limit
  double skew = 0;     // position p is chosen with weight 1 / (p + 1)^skew
};

const char* const kUsage =
    "usage: textferro-gendata --out DIR [--seed N] [--steps N] [--clusters N] [--series N]\n"
    "       [--gap-rate P] [--late-rate P] [--end-rate P] [--split-rate P] [--merge-rate P]\n"
    "       [--max-gap N] [--tags N] [--mix-rate P] [--max-length N] [--skew S]\n"
    "Writes DIR/timeline.txt, DIR/clusters/step<t>.obj and .feat, and DIR/tags/gen.t<t>.c<c>.tags\n"
    "(no tag files with --tags 0). Load with:\n"
    "  textferro DIR/timeline.txt DIR/clusters/step obj feat DIR/tags gen tags\n";

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string key = argv[i];
    if (i + 1 >= argc)
      return false;
    const std::string value = argv[++i];
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    const bool numeric = end != value.c_str() && *end == '\0';
    if (key == "--out")
      options.out = value;
    else if (!numeric || number < 0)
      return false;
    else if (key == "--seed")
      options.seed = static_cast<std::uint64_t>(number);
    else if (key == "--steps")
      options.steps = static_cast<int>(number);
    else if (key == "--clusters")
      options.clusters = static_cast<int>(number);
    else if (key == "--series")
      options.series = static_cast<long>(number);
    else if (key == "--gap-rate")
      options.gapRate = number;
    else if (key == "--late-rate")
      options.lateRate = number;
    else if (key == "--end-rate")
      options.endRate = number;
    else if (key == "--split-rate")
      options.splitRate = number;
    else if (key == "--merge-rate")
      options.mergeRate = number;
    else if (key == "--max-gap")
      options.maxGap = static_cast<int>(number);
    else if (key == "--tags")
      options.tags = static_cast<int>(number);
    else if (key == "--mix-rate")
      options.mixRate = number;
    else if (key == "--max-length")
      options.maxLength = static_cast<int>(number);
    else if (key == "--skew")
      options.skew = number;
    else
      return false;
  }
  return !options.out.empty() && options.steps >= 1 && options.clusters >= 1 &&
         options.steps <= 100000 && options.maxGap >= 1;
}

// Successors by hidden position: next[t][p] is where position p of step t flows at
// step t + 1; split[t][p] is a second successor, or -1.
struct Flows {
  std::vector<std::vector<int>> next;
  std::vector<std::vector<int>> split;
  std::vector<std::vector<int>> label; // label[t][p]: cluster number of position p at step t
};

Flows makeFlows(const Options& o, SeededRandom& random) {
  Flows flows;
  const int c = o.clusters;
  auto near = [&](int p) { return std::clamp(p + random.below(11) - 5, 0, c - 1); };
  for (int t = 0; t < o.steps; ++t) {
    std::vector<int> next(c), split(c, -1), label(c);
    for (int p = 0; p < c; ++p) {
      next[p] = p;
      if (p + 1 < c && random.chance(o.mergeRate))
        next[p] = p + 1;
      if (random.chance(o.splitRate))
        split[p] = near(p);
      label[p] = p + 1;
    }
    for (int p = c - 1; p > 0; --p)
      std::swap(label[p], label[random.below(p + 1)]);
    flows.next.push_back(std::move(next));
    flows.split.push_back(std::move(split));
    flows.label.push_back(std::move(label));
  }
  return flows;
}

// Draws a position, the lower ones more often when the sizes are skewed.
class PositionDraw {
public:
  explicit PositionDraw(const Options& o) {
    if (o.skew <= 0)
      return;
    double total = 0;
    for (int p = 0; p < o.clusters; ++p)
      cumulative.push_back(total += 1.0 / std::pow(p + 1.0, o.skew));
  }
  int operator()(SeededRandom& random, int clusters) const {
    if (cumulative.empty())
      return random.below(clusters);
    const double at = random.real() * cumulative.back();
    return static_cast<int>(std::upper_bound(cumulative.begin(), cumulative.end(), at) -
                            cumulative.begin());
  }

private:
  std::vector<double> cumulative;
};

bool writeFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
  return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parse(argc, argv, o)) {
    std::cerr << kUsage;
    return 1;
  }
  namespace fs = std::filesystem;
  const fs::path root(o.out);
  std::error_code error;
  fs::create_directories(root / "clusters", error);
  fs::create_directories(root / "tags", error);
  if (error) {
    std::cerr << "Could not create " << root.string() << ": " << error.message() << std::endl;
    return 1;
  }

  SeededRandom random(o.seed);
  const Flows flows = makeFlows(o, random);
  const PositionDraw drawPosition(o);

  std::ofstream timeline(root / "timeline.txt", std::ios::binary);
  std::set<std::pair<int, int>> stations; // (step, position)
  long long items = 0;
  long long dummies = 0;
  std::string line;
  for (long s = 0; s < o.series; ++s) {
    int t = o.steps > 1 && random.chance(o.lateRate) ? 1 + random.below(o.steps - 1) : 0;
    int p = drawPosition(random, o.clusters);
    dummies += t;
    int length = 0;
    line = "s" + std::to_string(s + 1) + ":";
    char separator = ' ';
    while (t < o.steps) {
      line += separator + std::to_string(t + 1) + "=" + std::to_string(flows.label[t][p]);
      separator = ',';
      stations.insert({t, p});
      ++items;
      if (++length == o.maxLength || random.chance(o.endRate))
        break;
      const int advance = random.chance(o.gapRate) ? 2 + random.below(o.maxGap) : 1;
      for (int k = 0; k < advance && t < o.steps; ++k) {
        const int second = t + 1 < o.steps ? flows.split[t][p] : -1;
        p = second >= 0 && random.chance(0.5) ? second : flows.next[t][p];
        if (o.mixRate > 0 && random.chance(o.mixRate))
          p = drawPosition(random, o.clusters);
        ++t;
      }
      if (t < o.steps)
        dummies += advance - 1;
    }
    line += '\n';
    timeline << line;
  }
  timeline.close();
  if (!timeline) {
    std::cerr << "Could not write " << (root / "timeline.txt").string() << std::endl;
    return 1;
  }

  static const char* const kWords[] = {"energy",  "market", "policy", "grid",   "storage",
                                       "price",   "demand", "supply", "carbon", "research",
                                       "climate", "trade",  "export", "import", "network"};
  const int wordCount = sizeof kWords / sizeof kWords[0];
  for (int t = 0; t < o.steps; ++t) {
    std::string objects, features;
    // Line n of a cluster file belongs to cluster number n.
    std::vector<int> position(o.clusters);
    for (int p = 0; p < o.clusters; ++p)
      position[flows.label[t][p] - 1] = p;
    for (int n = 1; n <= o.clusters; ++n) {
      const std::string id = "t" + std::to_string(t + 1) + "c" + std::to_string(n);
      objects += id + "d1," + id + "d2," + id + "d3\n";
      features += id + "," + kWords[(n + t) % wordCount] + "," + kWords[n % wordCount] + "\n";
      if (o.tags > 0 && stations.count({t, position[n - 1]})) {
        std::string tags = id + "\t1.000\n";
        for (int k = 1; k < o.tags; ++k) {
          char weight[16];
          std::snprintf(weight, sizeof weight, "%.3f", 1.0 / (k + 1));
          tags += std::string(kWords[(n * 7 + k) % wordCount]) + "\t" + weight + "\n";
        }
        const std::string name =
            "gen.t" + std::to_string(t + 1) + ".c" + std::to_string(n) + ".tags";
        if (!writeFile(root / "tags" / name, tags)) {
          std::cerr << "Could not write " << (root / "tags" / name).string() << std::endl;
          return 1;
        }
      }
    }
    const std::string stub = (root / "clusters" / ("step" + std::to_string(t + 1))).string();
    if (!writeFile(stub + ".obj", objects) || !writeFile(stub + ".feat", features)) {
      std::cerr << "Could not write " << stub << ".obj or .feat" << std::endl;
      return 1;
    }
  }

  std::cout << "steps " << o.steps << " stations " << stations.size() << " series " << o.series
            << " items " << items << " dummies " << dummies << std::endl;
  return 0;
}
