#!/usr/bin/env bash
# Installs what is needed, builds, and opens the bundled example map.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
example=examples/energy
args=("$example/timeline.txt" "$example/clusters/step" obj feat "$example/tags" energy tags)
exec build/src/app/textferro "${args[@]}"
