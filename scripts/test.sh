#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite:
#   1. every fuzz target over its seeds and regression cases, then for 15 s each (clang, ASan+UBSan);
#   2. every test under ASan+UBSan;
#   3. every test in the normal build (its summary closes the run).
# Widget tests use Qt's offscreen platform; OpenGL tests need the X server that xvfb-run provides.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh
jobs="$(nproc)"
fuzz_seconds="${KESTRUM_FUZZ_SECONDS:-15}"

echo "== fuzz build"
bash scripts/build.sh build-fuzz -DKESTRUM_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Each target: its seeds from the test writers, a replay of the seeds and of fuzz/regressions-<name>,
# then a short run; any crash, sanitizer report or timeout stops the run with the target's output.
fuzz_targets=(pagefile objparts texture dds dxtc jpeg hexclip hexsettings classtable)
fuzz_log="build-fuzz/fuzz.log"
fuzz_step() {
    if ! "$@" >"$fuzz_log" 2>&1; then
        cat "$fuzz_log"
        exit 1
    fi
    grep -E '^#[0-9]+[[:space:]]+DONE' "$fuzz_log" | tail -n 1 || true
}
for name in "${fuzz_targets[@]}"; do
    seeds="build-fuzz/seeds/$name"
    corpus="build-fuzz/corpus/$name"
    rm -rf "$seeds" "$corpus" && mkdir -p "$seeds" "$corpus"
    "build-fuzz/fuzz_${name}_seeds" "$seeds"
    echo "== fuzz_$name: seeds and regression cases, then ${fuzz_seconds} s"
    fuzz_step "build-fuzz/fuzz_$name" -runs=0 -artifact_prefix=build-fuzz/ "$seeds" "fuzz/regressions-$name"
    fuzz_step "build-fuzz/fuzz_$name" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix=build-fuzz/ "$corpus" "$seeds"
done

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
