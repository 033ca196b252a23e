#ifndef TEXTFERRO_FUZZSUPPORT_H
#define TEXTFERRO_FUZZSUPPORT_H

// Helpers shared by the fuzz targets: scratch files for readers that take a
// path, and a check that stops the run when an invariant breaks.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fuzz {

// A scratch folder of this process, made once.
inline const std::string& scratchDir() {
  static const std::string dir = [] {
    std::string pattern = "/tmp/textferro-fuzz-XXXXXX";
    const char* made = ::mkdtemp(&pattern[0]);
    if (made == nullptr)
      std::abort();
    return std::string(made);
  }();
  return dir;
}

inline std::string writeScratch(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = scratchDir() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

inline void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

} // namespace fuzz

#endif
