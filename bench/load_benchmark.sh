#!/usr/bin/env bash
# Whole-load benchmark. For data sets of growing size (textferro-gendata) it
#  - times the whole load through textferro-export: wall and CPU seconds, peak memory;
#  - lays out the pre-layout cluster-flow graph (dummy nodes in) with "Hierarchical
#    Graph" alone (textferro-layout-bench) and counts edge crossings between consecutive
#    time steps: with the earlier in-place sweeps (old), with layer sweeps (ours), what
#    the placement adds to the order found, and without lead-in edges (visible);
#  - times the layer sweeps alone (order_s) and the whole layout (layout_s);
#  - writes that graph as a DOT file, times Graphviz `dot -Tplain` on it (given up after
#    the timeout) and counts the crossings of dot's drawing the same way;
#  - finishes the map as the loader does and compares its height with what its biggest
#    column needs (one node spacing, 1.5, per station).
# Sizes are steps:clusters per step:series, optionally followed by a profile:
#   :real   clusters made afresh per time window (most series start late, are short
#           and jump to any cluster; cluster sizes skewed)
#   :gappy  many late starts and gaps
#   :       none
# and by a seed (1 by default), e.g. 10:12:420:real:7 or 10:100:2000::2.
# Run it on a quiet machine: it is CPU-bound, and times on a shared one are provisional.
#
# usage: bench/load_benchmark.sh [build dir] [work dir] [dot timeout in s] [sizes...]
set -euo pipefail

BUILD=$(realpath "${1:-build}")
WORK=${2:-/tmp/textferro-load-benchmark}
DOT_TIMEOUT=${3:-120}
shift $(( $# < 3 ? $# : 3 ))
SIZES=${*:-"10:12:420:real 10:100:2000 20:250:5000 20:250:5000:gappy 30:500:20000 50:1000:50000 50:2000:100000 50:2300:200000"}

GEN=$BUILD/tools/textferro-gendata
EXPORT=$BUILD/tools/textferro-export
LAYOUT=$BUILD/bench/textferro-layout-bench
for program in "$GEN" "$EXPORT" "$LAYOUT"; do
  [ -x "$program" ] || { echo "missing $program: build first" >&2; exit 1; }
done
command -v dot >/dev/null || { echo "Graphviz dot is not installed" >&2; exit 1; }
mkdir -p "$WORK"

profile_options() {
  case "$1" in
    real) echo "--late-rate 0.9 --max-length 3 --mix-rate 0.7 --skew 1 --gap-rate 0.05 --end-rate 0.1" ;;
    gappy) echo "--late-rate 0.8 --gap-rate 0.3" ;;
    "") ;;
    *) echo "unknown profile $1" >&2; exit 1 ;;
  esac
}

# Prints the value that follows `name` in a line of name value pairs.
field() { awk -v name="$1" '{ for (i = 1; i < NF; i++) if ($i == name) print $(i + 1) }' <<<"$2"; }

printf '%-22s %8s %8s %8s | %7s %7s %7s | %10s %9s %6s %9s | %7s %8s | %8s %9s %9s | %6s %7s | %8s %6s\n' \
  size stations nodes edges load_s load_cpu peak_MB old_cross ours added visible order_s \
  layout_s dot_s dot_cross dot_vis x_dot t_dot height need
for size in $SIZES; do
  IFS=: read -r steps clusters series profile seed <<<"$size"
  dir=$WORK/${size//:/-}
  rm -rf "$dir"
  # shellcheck disable=SC2046
  generated=$("$GEN" --out "$dir/data" --seed "${seed:-1}" --steps "$steps" --clusters "$clusters" \
    --series "$series" $(profile_options "${profile:-}"))
  stations=$(field stations "$generated")
  data=$dir/data

  /usr/bin/time -f '%e %U %M' -o "$dir/load.time" "$EXPORT" "$data/timeline.txt" \
    "$data/clusters/step" obj feat "$data/tags" gen tags "$dir/map.tlp" 2>/dev/null
  read -r load_s load_cpu peak_kb <"$dir/load.time"

  ours=$("$LAYOUT" "$data/timeline.txt" "$dir/graph.dot")
  crossings=$(field crossings "$ours")
  added=$(( crossings - $(field order_crossings "$ours") ))

  dot_s="> $DOT_TIMEOUT"
  dot_cross=-
  dot_visible=-
  cross_ratio=-
  time_ratio=-
  if timeout "$DOT_TIMEOUT" /usr/bin/time -f '%U' -o "$dir/dot.time" \
      dot -Tplain "$dir/graph.dot" -o "$dir/graph.plain" 2>/dev/null; then
    dot_s=$(cat "$dir/dot.time")
    counted=$("$LAYOUT" "$data/timeline.txt" --count-plain "$dir/graph.plain")
    dot_cross=$(field dot_crossings "$counted")
    dot_visible=$(field dot_visible "$counted")
    cross_ratio=$(awk -v a="$crossings" -v b="$dot_cross" \
      'BEGIN { if (b > 0) printf "%.2f", a / b; else print "inf" }')
    time_ratio=$(awk -v a="$(field layout_cpu "$ours")" -v b="$dot_s" \
      'BEGIN { printf "%.4f", (b > 0 ? a / b : 0) }')
  fi
  printf '%-22s %8s %8s %8s | %7s %7s %7d | %10s %9s %6s %9s | %7.2f %8.2f | %8s %9s %9s | %6s %7s | %8.1f %6.1f\n' \
    "$size" "$stations" "$(field nodes "$ours")" "$(field edges "$ours")" "$load_s" "$load_cpu" \
    $((peak_kb / 1024)) "$(field old_crossings "$ours")" "$crossings" "$added" \
    "$(field visible "$ours")" "$(field ordering_cpu "$ours")" "$(field layout_cpu "$ours")" \
    "$dot_s" "$dot_cross" "$dot_visible" "$cross_ratio" "$time_ratio" \
    "$(field map_height "$ours")" "$(field column_need "$ours")"
  rm -rf "$data" "$dir/graph.plain"
done
