#!/usr/bin/env bash
# Sets up, checks the layering, builds and runs every test: the suites in an
# ordinary build, the suites again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target for a short bounded time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install-deps.sh
# Cheap and decisive: before the long builds.
python3 scripts/check-layering.py

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DCARDWRIGHT_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# Line tables are enough for the sanitizers' stack traces and build faster.
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS_DEBUG="-O1 -gline-tables-only" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" \
  -DCARDWRIGHT_SANITIZE=ON -DCARDWRIGHT_FUZZ=ON -DCARDWRIGHT_BENCH=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE slow

scripts/run-fuzzers.sh build-asan "${CARDWRIGHT_FUZZ_SECONDS:-30}"
