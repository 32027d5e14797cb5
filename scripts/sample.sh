#!/usr/bin/env bash
# Installs what is needed, builds, and converts the bundled sample depth map into all four
# outputs in the folder sample-output/ (a fresh one each time: Vantorel never overwrites).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh
cmake --preset release >/dev/null
cmake --build --preset release --target vantorel-cli
rm -rf sample-output && mkdir sample-output
echo "Converting samples/rosette.bmp into sample-output/:"
build/release/cli/vantorel-cli -f all --length 125 --work-surface 10 --depth 1.5 \
  --output "sample-output/rosette.dxf" samples/rosette.bmp
