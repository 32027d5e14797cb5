#!/usr/bin/env bash
# Shows the real window on a virtual X server and saves a picture of it in docs/window.png.
# Usage: scripts/screenshot.sh [BUILD_DIR]   (default build/release; the window is built if needed)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
cmake --build "$build" --target vantorel >/dev/null

# A copy in a folder of its own starts with no Data.ini, so the picture shows a first start.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/ui/vantorel" "$work/"

xvfb-run -a -s "-screen 0 1280x1024x24" bash -s "$work" <<'INNER'
set -euo pipefail
work=$1
"$work/vantorel" &
pid=$!
id=""
for _ in $(seq 100); do
  id=$(xwininfo -root -tree 2>/dev/null | awk '/"Vantorel Program": \("vantorel"/ {print $1; exit}')
  [ -n "$id" ] && break
  sleep 0.1
done
[ -n "$id" ] || { echo "the window did not appear" >&2; kill "$pid"; exit 1; }
sleep 1  # let it paint
import -window "$id" "$work/window.png"
kill "$pid"
wait "$pid" 2>/dev/null || true
INNER
convert "$work/window.png" -strip docs/window.png
echo "docs/window.png: $(identify -format '%wx%h' docs/window.png)"
