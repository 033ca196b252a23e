#!/usr/bin/env bash
# Preparation benchmark. For tables of growing size (textferro-gendocs, seed 1, about
# 100 words per document, a made-up lexicon of 100,000 words so that the vocabulary
# grows as real text does) it runs textferro-prepare with its defaults and prints the
# documents per second of each phase (from the tool's progress lines), the wall and
# CPU seconds, the peak memory, and how the wall time grows from one size to the next
# (the exponent b of time ~ documents^b). Run it on a quiet machine: it is CPU-bound
# and clusters the time steps on every core.
#
# usage: bench/prepare_benchmark.sh [build dir] [work dir] [documents ...]
set -euo pipefail

BUILD=$(realpath "${1:-build}")
WORK=${2:-/tmp/textferro-prepare-benchmark}
shift $(( $# < 2 ? $# : 2 ))
SIZES=${*:-"10000 30000 100000 300000"}

GEN=$BUILD/tools/textferro-gendocs
PREPARE=$BUILD/tools/textferro-prepare
for program in "$GEN" "$PREPARE"; do
  [ -x "$program" ] || { echo "missing $program: build first" >&2; exit 1; }
done
mkdir -p "$WORK"

printf '%9s %9s | %10s %10s %10s %10s | %8s %8s %8s | %6s\n' documents table_MB \
  read/s terms/s cluster/s write/s wall_s cpu_s peak_MB growth
previous_size=""
previous_wall=""
for size in $SIZES; do
  table=$WORK/documents-$size.csv
  [ -s "$table" ] || "$GEN" --out "$table" --seed 1 --documents "$size" --lexicon 100000
  rm -rf "$WORK/folder-$size"
  /usr/bin/time -f '%e %U %S %M' -o "$WORK/time-$size" \
    "$PREPARE" "$table" "$WORK/folder-$size" 2>"$WORK/progress-$size"
  read -r wall user system peak <"$WORK/time-$size"
  rate() { sed -n "s/^$1: .*(\([0-9]*\) documents per second)/\1/p" "$WORK/progress-$size"; }
  growth=$(awk -v a="$previous_size" -v b="$size" -v s="$previous_wall" -v t="$wall" \
    'BEGIN { if (a == "") print "-"; else printf "%.2f", log(t / s) / log(b / a) }')
  printf '%9d %9.0f | %10s %10s %10s %10s | %8.1f %8.1f %8.0f | %6s\n' "$size" \
    "$(( $(stat -c %s "$table") / 1000000 ))" "$(rate Reading)" "$(rate Terms)" \
    "$(rate Clustering)" "$(rate Writing)" "$wall" "$(awk -v u="$user" -v s="$system" \
    'BEGIN { print u + s }')" "$(( peak / 1024 ))" "$growth"
  previous_size=$size
  previous_wall=$wall
done
