#!/usr/bin/env bash
# Installs the build into a fresh prefix and runs the installed programs from
# outside the build tree: every program, library, the desktop entry and both icons
# must be installed, and the programs must find our libraries in the prefix only.
#   check_install.sh <build dir> <examples dir>
set -euo pipefail
build=$1
examples=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/textferro bin/textferro-export bin/textferro-prepare share/applications/textferro.desktop \
    share/icons/hicolor/scalable/apps/textferro.svg share/icons/hicolor/256x256/apps/textferro.png; do
  [ -f "$prefix/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
for program in "$prefix"/bin/*; do
  if ldd "$program" | grep -E 'textferro|not found' | grep -v "$prefix/"; then
    echo "$program does not take its libraries from $prefix" >&2
    exit 1
  fi
done

cd "$prefix"
env -u LD_LIBRARY_PATH "$prefix/bin/textferro-prepare" --quiet "$examples/documents/energy.csv" \
  "$prefix/energy"
env -u LD_LIBRARY_PATH "$prefix/bin/textferro-export" "$prefix/energy" "$prefix/map.svg" 2>/dev/null
grep -q '<svg' "$prefix/map.svg"
