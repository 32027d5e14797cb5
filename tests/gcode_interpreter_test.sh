#!/usr/bin/env bash
# A real controller's interpreter reads the sample's whole G-code program without an error,
# with an A axis configured, and makes one feed move per pixel.
# Usage: gcode_interpreter_test.sh VANTOREL_CLI SAMPLE_BMP
set -euo pipefail
cli=$1
sample=$2
command -v rs274 >/dev/null || { echo "rs274 (linuxcnc-uspace) is not installed"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

check() {  # check NAME EXPECTED_FEEDS CLI-ARGS...
  local name=$1 feeds=$2
  shift 2
  "$cli" -q -o "$name.dxf" "$@" "$sample" >/dev/null
  printf 'T1 P1 D3.000 Z+0.000\n' > tool.tbl
  : > params.var
  printf '[RS274NGC]\nPARAMETER_FILE = params.var\n[TRAJ]\nCOORDINATES = XYZA\n[AXIS_A]\nTYPE = ANGULAR\n' > machine.ini
  if ! HOME="$work" rs274 -g -t tool.tbl -v params.var -i machine.ini "$name.nc" canon.txt 2>errors.txt; then
    echo "rs274 refused $name.nc:"; cat errors.txt; exit 1
  fi
  if grep -qi error errors.txt canon.txt; then
    echo "rs274 reported an error for $name.nc:"; cat errors.txt; exit 1
  fi
  local got
  got=$(grep -c 'STRAIGHT_FEED' canon.txt)
  if [ "$got" != "$feeds" ]; then
    echo "$name.nc: expected $feeds feed moves, the interpreter made $got"; exit 1
  fi
  grep -q 'PROGRAM_END' canon.txt || { echo "$name.nc: the program never ended"; exit 1; }
  echo "$name.nc: $got feed moves read without an error"
}

size=$(/usr/bin/python3 -c "import struct,sys;d=open(sys.argv[1],'rb').read(26);w,h=struct.unpack('<ii',d[18:26]);print(w*abs(h))" "$sample")
check defaults "$size"
check custom "$size" --left-x -12.5 --wrap-angle 270 --length 80 --work-surface 30 --depth 2.5 \
  --feedrate 850.5 --clearance 40 --header "G54 G40" --footer M30
