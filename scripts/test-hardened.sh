#!/usr/bin/env bash
# The hardened test runs, after the ordinary ones: every test under the address and
# undefined-behaviour sanitizers, the number text and two writers built without SSE2, then
# each fuzzer for a bounded time (clang, libFuzzer).
# Crashes found by a fuzzer are kept in build/fuzz/fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh

echo "== Sanitizer build"
cmake --preset asan >/dev/null
cmake --build --preset asan -j2
ctest --preset asan -j2

echo "== The number text without SSE2 (the plain code paths other machines build)"
cmake --preset portable >/dev/null
cmake --build --preset portable -j2
ctest --preset portable -j2

echo "== Fuzzing"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2
ctest --preset fuzz -j2
