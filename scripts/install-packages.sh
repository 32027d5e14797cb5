#!/usr/bin/env bash
# Installs the Debian 12 packages Vantorel needs to build, test and benchmark.
# Does nothing when they are all present already.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # real readers of our files, used by the tests
  linuxcnc-uspace admesh assimp-utils python3 python3-ezdxf python3-stl python3-numpy
  # pictures, screenshots and the window under a real X server
  imagemagick xvfb xauth x11-utils fonts-dejavu-core fonts-dejavu-extra
  # fuzzing and memory checking
  clang libclang-rt-14-dev valgrind
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
