#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite:
#   1. the fuzz targets over their seed corpora, then for a minute and half a minute (clang, ASan+UBSan);
#   2. every test under ASan+UBSan;
#   3. every test in the normal build (its summary closes the run).
# Widget tests use Qt's offscreen platform; OpenGL tests need the X server that xvfb-run provides.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh
jobs="$(nproc)"
fuzz_seconds="${KESTRUM_FUZZ_SECONDS:-60}"

echo "== fuzz build"
bash scripts/build.sh build-fuzz -DKESTRUM_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
rm -rf build-fuzz/seeds build-fuzz/corpus && mkdir -p build-fuzz/seeds build-fuzz/corpus
build-fuzz/fuzz_make_seeds build-fuzz/seeds
echo "== fuzz: replaying the seeds and the regression cases"
build-fuzz/fuzz_pagefile -runs=0 build-fuzz/seeds fuzz/regressions
echo "== fuzz: ${fuzz_seconds} s run"
build-fuzz/fuzz_pagefile -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
    build-fuzz/corpus build-fuzz/seeds 2>&1 | tail -n 3
rm -rf build-fuzz/parts-seeds build-fuzz/parts-corpus && mkdir -p build-fuzz/parts-seeds build-fuzz/parts-corpus
build-fuzz/fuzz_objparts_seeds build-fuzz/parts-seeds
echo "== fuzz: part readers, replaying the seeds and the regression cases"
build-fuzz/fuzz_objparts -runs=0 build-fuzz/parts-seeds fuzz/regressions-objparts
echo "== fuzz: part readers, 30 s run"
build-fuzz/fuzz_objparts -max_total_time=30 -timeout=10 -rss_limit_mb=2048 \
    build-fuzz/parts-corpus build-fuzz/parts-seeds 2>&1 | tail -n 3

echo "== sanitizer build"
bash scripts/build.sh build-asan -DKESTRUM_SANITIZE=ON -DKESTRUM_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
echo "== sanitizer tests"
(cd build-asan && ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --output-on-failure -j "$jobs" | tail -n 4)

echo "== build"
bash scripts/build.sh build
echo "== tests"
cd build
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$jobs"
