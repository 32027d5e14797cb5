#!/usr/bin/env bash
# LinuxCNC's interpreter reads every finishing program (each tool and pattern, on a small
# picture with a pit, a narrow groove, a spike, the seam and the edges cut), with an A axis
# that does not wrap; rings and spiral run in inverse time, the spiral turns A past 360.
# Bad finishing settings are refused with exit 1 and a message naming the setting, and
# nothing is written.
# Usage: toolpath_rs274_test.sh VANTOREL_CLI
set -euo pipefail
cli=$1
command -v rs274 >/dev/null || { echo "rs274 (linuxcnc-uspace) is not installed"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

/usr/bin/python3 - <<'PY'
import struct
w, h = 40, 30
def level(c, r):
    if 5 <= c <= 12 and 4 <= r <= 10: return 255           # a pit with steep walls
    if c == 20 and 2 <= r <= 26: return 200                 # a groove one pixel wide
    if 25 <= c <= 32 and 15 <= r <= 25: return 0 if (c, r) == (28, 20) else 180  # a spike
    if r in (0, h - 1): return 120                          # across the seam
    if c in (0, w - 1): return 150                          # the edges
    return 0
pad = (4 - (w * 3) % 4) % 4
data = b''.join(b''.join(bytes((level(c, r),) * 3) for c in range(w)) + b'\0' * pad
                for r in reversed(range(h)))
header = b'BM' + struct.pack('<IHHI', 54 + len(data), 0, 0, 54) + struct.pack(
    '<iiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
open('hostile.bmp', 'wb').write(header + data)
PY

printf 'T1 P1 D3.000 Z+0.000\n' > tool.tbl
printf '[RS274NGC]\nPARAMETER_FILE = params.var\n[TRAJ]\nCOORDINATES = XYZA\n[AXIS_A]\nTYPE = ANGULAR\n' > machine.ini
job=(--length 8 --work-surface 5 --depth 1 --stepover 0.4)

n=0
for tool in ball:1 flat:0.8 vee:90:1.2 taper:0.4:20:1.5; do
  for pattern in rows rings spiral; do
    n=$((n + 1))
    name="p$n"
    "$cli" -q -o "$name.dxf" "${job[@]}" --tool "$tool" --pattern "$pattern" hostile.bmp >/dev/null
    : > params.var
    if ! HOME="$work" rs274 -g -t tool.tbl -v params.var -i machine.ini "$name.nc" canon.txt 2>errors.txt; then
      echo "rs274 refused the $tool $pattern program:"; cat errors.txt; exit 1
    fi
    if grep -qi error errors.txt canon.txt; then
      echo "rs274 reported an error for the $tool $pattern program:"; cat errors.txt; exit 1
    fi
    grep -q 'PROGRAM_END' canon.txt || { echo "$tool $pattern: the program never ended"; exit 1; }
    feeds=$(grep -c 'STRAIGHT_FEED' canon.txt)
    [ "$feeds" -gt 100 ] || { echo "$tool $pattern: only $feeds feed moves"; exit 1; }
    inverse=no
    grep -qF 'feed mode set to inverse time' canon.txt && inverse=yes
    if [ "$pattern" = rows ]; then expected=no; else expected=yes; fi
    [ "$inverse" = "$expected" ] || { echo "$tool $pattern: inverse time $inverse, expected $expected"; exit 1; }
    most=$(sed -n 's/.*STRAIGHT_FEED([^,]*, [^,]*, [^,]*, \([^,]*\),.*/\1/p' canon.txt | sort -g | tail -1)
    if [ "$pattern" = spiral ]; then
      /usr/bin/python3 -c "import sys; sys.exit(0 if float('$most') > 360 else 1)" ||
        { echo "$tool spiral: A never passed 360 ($most)"; exit 1; }
    fi
    echo "$tool $pattern: $feeds feed moves read without an error"
  done
done

refuse() {  # refuse WORD-IN-MESSAGE CLI-ARGS...
  local word=$1
  shift
  set +e
  "$cli" -o refused.dxf "${job[@]}" "$@" hostile.bmp >/dev/null 2>message.txt
  local status=$?
  set -e
  [ "$status" = 1 ] || { echo "$*: exit $status, expected 1"; cat message.txt; exit 1; }
  grep -qF -- "$word" message.txt || { echo "$*: the message does not name $word:"; cat message.txt; exit 1; }
  [ ! -e refused.nc ] || { echo "$*: a file was written"; exit 1; }
}
refuse --tool --tool ball:0
refuse --tool --tool vee:180:3
refuse --tool --tool taper:3:20:1
refuse --tool --tool drill:3
refuse --stepover --tool ball:1 --stepover 1.5
refuse --stepover --tool ball:1 --stepover 0
refuse --tolerance --tool ball:1 --tolerance -0.01
refuse --pattern --tool ball:1 --pattern zigzag
refuse --pattern --tool ball:1 --pattern spiral --wrap-angle 270
refuse --feed-mode --tool ball:1 --feed-mode fast
refuse --border --tool ball:1 --border none
refuse --rapid-rate --tool ball:1 --rapid-rate 0
refuse --tool --pattern rings
refuse "rotary axis" --tool ball:1 --depth 6
echo "bad settings refused"
