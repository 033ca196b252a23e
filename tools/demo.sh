#!/usr/bin/env bash
# Installs what is needed, builds, and opens the bundled example map. On a machine
# without a display it runs the program under Xvfb instead, saves a screenshot of its
# window as a PNG, prints the PNG's path and exits 0.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh >&2
tools/build.sh >&2
example=examples/energy
args=("$example/timeline.txt" "$example/clusters/step" obj feat "$example/tags" energy tags)
if [ -n "${DISPLAY:-}" ]; then
  exec build/src/app/textferro "${args[@]}"
fi
shot="$PWD/build/textferro-example.png"
xvfb-run -a -s "-screen 0 1600x1000x24" \
  tools/screenshot.sh "$shot" TextFerro build/src/app/textferro "${args[@]}"
echo "$shot"
