#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: first the Release build,
# then the whole suite again under the sanitizers, with a short run of every fuzz
# target.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
(cd build && ctest --output-on-failure -j "$(nproc)")
# The Debian package must still build, with its dependencies found.
(cd build && cpack >/dev/null && dpkg-deb --field textferro_*_amd64.deb Depends | grep -q libtulip-core)

tools/build.sh --sanitize
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-san && ctest --output-on-failure -j "$(nproc)")
