#!/usr/bin/env bash
# Configures and builds TextFerro.
#   tools/build.sh              Release build in ./build (gcc)
#   tools/build.sh --sanitize   AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer
#                               build with the fuzz targets in ./build-san (clang)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--sanitize" ]; then
  CC=clang CXX=clang++ cmake -S . -B build-san -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTEXTFERRO_SANITIZE=ON -DTEXTFERRO_FUZZ=ON -DTEXTFERRO_BUILD_BENCH=OFF >/dev/null
  cmake --build build-san -j "$(nproc)"
else
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build -j "$(nproc)"
fi
