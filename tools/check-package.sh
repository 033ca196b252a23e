#!/usr/bin/env bash
# Builds the Debian package and installs it with apt on a fresh Debian 12 system (a
# minimal debootstrap chroot, made once in the given folder), then runs the
# installed programs there: the exporter on the bundled example and the window under
# Xvfb. Needs root, debootstrap and network access to a Debian mirror.
#   tools/check-package.sh [chroot folder]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(realpath -m "${1:-/tmp/textferro-package-check}")
[ "$(id -u)" -eq 0 ] || { echo "run as root (chroot, apt)" >&2; exit 1; }

tools/build.sh >&2
(cd build && cpack >&2)
deb=$(ls -t build/textferro_*_amd64.deb | head -n 1)

if [ ! -x "$root/usr/bin/apt-get" ]; then
  debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >&2
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
trap 'umount "$root/proc"' EXIT
cp "$deb" "$root/tmp/"
rm -rf "$root/tmp/energy" "$root/tmp/energy-map" && cp -r examples/energy "$root/tmp/energy"
cp examples/documents/energy.csv "$root/tmp/energy.csv"

chroot "$root" /bin/bash -euo pipefail -c "
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq /tmp/$(basename "$deb") >/dev/null
  apt-get install -y -qq --no-install-recommends xvfb xauth x11-utils >/dev/null
  cd /tmp
  textferro --version
  textferro-export energy/timeline.txt energy/clusters/step obj feat energy/tags energy tags map.png 2>/dev/null
  textferro-prepare --quiet energy.csv energy-map
  textferro-export energy-map map.svg 2>/dev/null
  ls -l map.png map.svg
  xvfb-run -a -s '-screen 0 1600x1000x24' bash -c '
    textferro energy/timeline.txt energy/clusters/step obj feat energy/tags energy tags 2>/dev/null &
    pid=\$!
    for i in \$(seq 60); do xwininfo -name TextFerro >/dev/null 2>&1 && break; sleep 0.5; done
    xwininfo -name TextFerro | grep -E \"Width|Height|Map State\"
    kill \$pid'
"
echo "package $deb installs and runs on a fresh Debian 12"
