#ifndef TEXTFERRO_SEEDEDRANDOM_H
#define TEXTFERRO_SEEDEDRANDOM_H

// Random numbers for the data generators, from the engine's raw output only, so
// that the files they write do not depend on the standard library's distributions:
// the same seed gives the same files everywhere.

#include <cstdint>
#include <random>
#include <vector>

class SeededRandom {
public:
  explicit SeededRandom(std::uint64_t seed) : engine(seed) {}
  double real() { return static_cast<double>(engine() >> 11) * (1.0 / 9007199254740992.0); }
  int below(int n) { return static_cast<int>(engine() % static_cast<std::uint64_t>(n)); }
  bool chance(double p) { return real() < p; }
  template <typename T> const T& pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(below(static_cast<int>(items.size())))];
  }

private:
  std::mt19937_64 engine;
};

#endif
