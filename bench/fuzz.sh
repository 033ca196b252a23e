#!/usr/bin/env bash
# Runs every fuzz target for a given time (default 600 s each), one after the other,
# growing the corpus in build-san/fuzz-corpus/<target>. Inputs that crash a target
# are written to build-san/fuzz-crashes/; copy them to tests/fuzz/regressions/<target>/
# once fixed so that they stay regression tests.
#   bench/fuzz.sh [seconds per target] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(timeline_line timeline_reader cluster_file tag_file loader document_table)
[ -x build-san/tests/fuzz/fuzz_loader ] || tools/build.sh --sanitize
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
mkdir -p build-san/fuzz-crashes
for target in "${targets[@]}"; do
  work="build-san/fuzz-corpus/$target"
  mkdir -p "$work"
  echo "== $target: ${seconds} s"
  build-san/tests/fuzz/fuzz_"$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 \
    -print_final_stats=1 -artifact_prefix="build-san/fuzz-crashes/$target-" \
    "$work" "tests/fuzz/corpus/$target" "tests/fuzz/regressions/$target" 2>&1 |
    grep -E '^#[0-9]+ *(DONE|INITED)|stat::number_of_executed_units|stat::peak_rss|ERROR|SUMMARY|Test unit written' || true
done
