#!/usr/bin/env bash
# Whole-load benchmark. For data sets of growing size (textferro-gendata, seed 1) it
#  - times the whole load through textferro-export: wall and CPU seconds, peak memory;
#  - lays out the pre-layout cluster-flow graph (dummy nodes in) with "Hierarchical
#    Graph" alone, and counts edge crossings between consecutive time steps;
#  - writes that graph as a DOT file, times Graphviz `dot -Tplain` on it (given up after
#    the timeout) and counts the crossings of dot's drawing the same way.
# Sizes are steps:clusters per step:series. Run it on a quiet machine: it is CPU-bound.
#
# usage: bench/load_benchmark.sh [build dir] [work dir] [dot timeout in s] [sizes...]
set -euo pipefail

BUILD=$(realpath "${1:-build}")
WORK=${2:-/tmp/textferro-load-benchmark}
DOT_TIMEOUT=${3:-120}
shift $(( $# < 3 ? $# : 3 ))
SIZES=${*:-"10:100:2000 20:250:5000 30:500:20000 50:1000:50000 50:2000:100000 50:2300:200000"}

GEN=$BUILD/tools/textferro-gendata
EXPORT=$BUILD/tools/textferro-export
LAYOUT=$BUILD/bench/textferro-layout-bench
for program in "$GEN" "$EXPORT" "$LAYOUT"; do
  [ -x "$program" ] || { echo "missing $program: build first" >&2; exit 1; }
done
command -v dot >/dev/null || { echo "Graphviz dot is not installed" >&2; exit 1; }
mkdir -p "$WORK"

printf '%-16s %8s %9s %9s | %8s %8s %8s | %8s %12s | %8s %12s | %9s %9s\n' \
  size stations nodes edges load_s load_cpu peak_MB layout_s crossings dot_s dot_cross \
  time_ratio cross_ratio
for size in $SIZES; do
  IFS=: read -r steps clusters series <<<"$size"
  dir=$WORK/$steps-$clusters-$series
  rm -rf "$dir"
  generated=$("$GEN" --out "$dir/data" --seed 1 --steps "$steps" --clusters "$clusters" \
    --series "$series")
  stations=$(awk '{print $4}' <<<"$generated")
  data=$dir/data

  /usr/bin/time -f '%e %U %M' -o "$dir/load.time" "$EXPORT" "$data/timeline.txt" \
    "$data/clusters/step" obj feat "$data/tags" gen tags "$dir/map.tlp" 2>/dev/null
  read -r load_s load_cpu peak_kb <"$dir/load.time"

  ours=$("$LAYOUT" "$data/timeline.txt" "$dir/graph.dot")
  nodes=$(awk '{print $2}' <<<"$ours")
  edges=$(awk '{print $4}' <<<"$ours")
  layout_s=$(awk '{print $6}' <<<"$ours")
  crossings=$(awk '{print $10}' <<<"$ours")

  dot_s="> $DOT_TIMEOUT"
  dot_cross=-
  time_ratio=-
  cross_ratio=-
  if timeout "$DOT_TIMEOUT" /usr/bin/time -f '%e' -o "$dir/dot.time" \
      dot -Tplain "$dir/graph.dot" -o "$dir/graph.plain" 2>/dev/null; then
    dot_s=$(cat "$dir/dot.time")
    dot_cross=$("$LAYOUT" "$data/timeline.txt" --count-plain "$dir/graph.plain" | awk '{print $2}')
    time_ratio=$(awk -v a="$layout_s" -v b="$dot_s" 'BEGIN { printf "%.4f", (b > 0 ? a / b : 0) }')
    cross_ratio=$(awk -v a="$crossings" -v b="$dot_cross" \
      'BEGIN { if (b > 0) printf "%.1f", a / b; else print "inf" }')
  fi
  printf '%-16s %8s %9s %9s | %8s %8s %8d | %8.2f %12s | %8s %12s | %9s %9s\n' \
    "$size" "$stations" "$nodes" "$edges" "$load_s" "$load_cpu" $((peak_kb / 1024)) \
    "$layout_s" "$crossings" "$dot_s" "$dot_cross" "$time_ratio" "$cross_ratio"
  rm -rf "$data" "$dir/graph.plain"
done
