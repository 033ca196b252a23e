#!/usr/bin/env bash
# Installs the Debian packages that TextFerro needs to build, run and test.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
  cmake g++ make pkg-config \
  libtulip-dev qtbase5-dev libqt5opengl5-dev libqt5svg5-dev \
  libglu1-mesa-dev libgl1-mesa-dri \
  xvfb xauth x11-apps x11-utils imagemagick libx11-dev fonts-dejavu-core \
  libgtest-dev clang libclang-rt-14-dev graphviz time libcsv-dev libarmadillo-dev dpkg-dev >/dev/null
