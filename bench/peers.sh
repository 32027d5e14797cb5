#!/usr/bin/env bash
# Side by side: the same triangles written as ASCII STL by numpy-stl, the same 3DFACEs written by
# ezdxf, and the same files written by vantorel-cli, in one run on this machine.
# Usage: bench/peers.sh [VANTOREL_CLI]   (default build/release/cli/vantorel-cli)
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${1:-build/release/cli/vantorel-cli}
py=/usr/bin/python3
work=$(mktemp -d "${TMPDIR:-/tmp}/vantorel-peers-XXXXXX")
trap 'rm -rf "$work"' EXIT

# A deterministic depth map: a smooth relief with fine detail.
make_picture() {  # SIZE PATH
  "$py" - "$1" "$2" <<'PY'
import math, struct, sys
n, path = int(sys.argv[1]), sys.argv[2]
row_bytes = (n * 3 + 3) // 4 * 4
data = bytearray()
for j in range(n - 1, -1, -1):
    row = bytearray()
    for i in range(n):
        u, v = i / n, j / n
        g = 0.5 + 0.25 * math.sin(6.283 * 3 * u) * math.cos(6.283 * 2 * v) \
            + 0.1 * math.sin(i * 0.9 + j * 1.7) * math.cos(i * 0.31 - j * 0.53)
        g = max(0, min(255, round(255 * g)))
        row += bytes((g, g, g))
    data += row + b"\0" * (row_bytes - len(row))
open(path, "wb").write(struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
                       + struct.pack("<IiiHHIIiiII", 40, n, n, 1, 24, 0, len(data), 0, 0, 0, 0) + data)
PY
}

seconds() { "$py" -c 'import time; print(time.perf_counter())'; }

ours() {  # FORMAT PICTURE NAME -> prints the best seconds of three runs
  local best="" start end
  for round in 1 2 3; do
    rm -f "$3" "${3%.dxf}.$1"
    sync  # nothing left to flush from before, as for the peer below
    start=$(seconds)
    "$cli" -q -f "$1" -o "$3" "$2" >/dev/null
    end=$(seconds)
    best=$("$py" -c "t = $end - $start; b = '$best'; print('%.3f' % (min(t, float(b)) if b else t))")
  done
  echo "$best"
}

echo "== STL: 1000 x 1000 picture, 2 million triangles =="
make_picture 1000 "$work/stl.bmp"
t_ours=$(ours stl "$work/stl.bmp" "$work/ours.dxf")
bytes_ours=$(stat -c %s "$work/ours.stl")
read -r t_peer bytes_peer < <("$py" - "$work/ours.stl" "$work/peer.stl" 2>/dev/null <<'PY'
import os, sys, time
from stl import mesh, Mode
m = mesh.Mesh.from_file(sys.argv[1])          # the very same triangles
os.sync()
start = time.perf_counter()
m.save(sys.argv[2], mode=Mode.ASCII)
print("%.3f %d" % (time.perf_counter() - start, os.path.getsize(sys.argv[2])))
PY
)
printf "  %-28s %8s s %12s bytes\n" "vantorel-cli (whole run)" "$t_ours" "$bytes_ours"
printf "  %-28s %8s s %12s bytes\n" "numpy-stl save, ASCII" "$t_peer" "$bytes_peer"
"$py" -c "print('  ours is %.1f x faster (target: at least 5 x)' % ($t_peer / $t_ours))"
rm -f "$work"/*.stl

echo
echo "== DXF: 300 x 300 picture, $((299 * 299 + 299)) 3DFACEs =="
make_picture 300 "$work/dxf.bmp"
t_ours=$(ours dxf "$work/dxf.bmp" "$work/ours.dxf")
bytes_ours=$(stat -c %s "$work/ours.dxf")
read -r t_peer bytes_peer < <("$py" - "$work/ours.dxf" "$work/peer.dxf" <<'PY'
import os, sys, time
import ezdxf
# The same faces: the corners as our file lists them.
lines = open(sys.argv[1], newline="").read().split("\r\n")
faces, k = [], lines.index("ENTITIES")
while k < len(lines):
    if lines[k] == "3DFACE":
        values = lines[k + 6:k + 30:2]
        faces.append([tuple(float(v) for v in values[c * 3:c * 3 + 3]) for c in range(4)])
        k += 30
    else:
        k += 1
os.sync()
start = time.perf_counter()
doc = ezdxf.new()
msp = doc.modelspace()
for corners in faces:
    msp.add_3dface(corners, dxfattribs={"layer": "Quennock", "color": 83})
doc.saveas(sys.argv[2])
print("%.3f %d" % (time.perf_counter() - start, os.path.getsize(sys.argv[2])))
PY
)
printf "  %-28s %8s s %12s bytes\n" "vantorel-cli (whole run)" "$t_ours" "$bytes_ours"
printf "  %-28s %8s s %12s bytes\n" "ezdxf add_3dface + saveas" "$t_peer" "$bytes_peer"
"$py" -c "print('  ours is %.1f x faster (target: at least 50 x)' % ($t_peer / $t_ours))"
