#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite:
#   1. every fuzz target over its seeds and regression cases, then for 15 s each (clang, ASan+UBSan);
#   2. every test under ASan+UBSan, built with clang and without precompiled headers;
#   3. every test in the normal build, built with GCC (its summary closes the run).
# Widget tests use Qt's offscreen platform; OpenGL tests need the X server that xvfb-run provides.
# Each stage's whole output goes to a log in build-logs/; the terminal shows each stage's summary, and
# everything about a failure: the failing tests' output, the build step that failed, the fuzz report.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh
jobs="$(nproc)"
fuzz_seconds="${KESTRUM_FUZZ_SECONDS:-15}"
logs="$root/build-logs"
mkdir -p "$logs"

# build_stage <title> <log name> <scripts/build.sh arguments...>
build_stage() {
    local title="$1" log="$logs/$2.log"
    shift 2
    echo "== $title (whole output: $log)"
    if ! bash scripts/build.sh "$@" >"$log" 2>&1; then
        # The step ninja stopped at with the compiler's words, or the end of a failed configuration.
        if grep -q '^FAILED: ' "$log"; then
            sed -n '/^FAILED: /,$p' "$log" | head -n 200
        else
            tail -n 40 "$log"
        fi
        echo "== $title failed (whole output: $log)"
        exit 1
    fi
    tail -n 1 "$log"
}

# test_stage <title> <build folder> <log name> [VARIABLE=value...]
# Shows every test that did not pass with its output, then ctest's summary (the pass count and the list of
# failures), which ends the stage's output.
test_stage() {
    local title="$1" dir="$2" log="$logs/$3.log"
    shift 3
    echo "== $title (whole output: $log)"
    local status=0
    (cd "$dir" && env "$@" xvfb-run -a -s "-screen 0 1280x1024x24" \
        ctest --output-on-failure -j "$jobs") >"$log" 2>&1 || status=$?
    awk '/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / { show = ($0 !~ / Passed +[0-9.]+ sec$/) }
         /^ *Start +[0-9]+: / || /^[0-9]+% tests passed/ { show = 0 }
         show' "$log"
    [ "$status" -eq 0 ] || echo "== $title failed (whole output: $log)"
    if grep -q '^[0-9]*% tests passed' "$log"; then
        sed -n '/^[0-9]*% tests passed/,$p' "$log"
    else
        tail -n 40 "$log"
    fi
    [ "$status" -eq 0 ] || exit "$status"
}

build_stage "fuzz build" fuzz-build build-fuzz -DKESTRUM_FUZZ=ON -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Each target: its seeds from the test writers, a replay of the seeds and of fuzz/regressions-<name>,
# then a short run that tries inputs of up to 1 MB from the start (what is quadratic in a file's length shows
# only in long ones); any crash, sanitizer report or timeout stops the run with the step's output.
fuzz_targets=(pagefile objparts texture dds dxtc jpeg hexclip hexsettings classtable)
fuzz_log="$logs/fuzz.log"
fuzz_step_log="build-fuzz/fuzz-step.log"
: >"$fuzz_log"
fuzz_step() {
    local status=0
    echo "== $*" >>"$fuzz_log"
    "$@" >"$fuzz_step_log" 2>&1 || status=$?
    cat "$fuzz_step_log" >>"$fuzz_log"
    if [ "$status" -ne 0 ]; then
        cat "$fuzz_step_log"
        echo "== fuzz step failed: $* (whole output: $fuzz_log)"
        exit 1
    fi
    grep -E '^#[0-9]+[[:space:]]+DONE' "$fuzz_step_log" | tail -n 1 || true
}
echo "== fuzz targets (whole output: $fuzz_log)"
for name in "${fuzz_targets[@]}"; do
    seeds="build-fuzz/seeds/$name"
    corpus="build-fuzz/corpus/$name"
    rm -rf "$seeds" "$corpus" && mkdir -p "$seeds" "$corpus"
    fuzz_step "build-fuzz/fuzz_${name}_seeds" "$seeds"
    echo "== fuzz_$name: seeds and regression cases, then ${fuzz_seconds} s"
    fuzz_step "build-fuzz/fuzz_$name" -runs=0 -artifact_prefix=build-fuzz/ "$seeds" "fuzz/regressions-$name"
    fuzz_step "build-fuzz/fuzz_$name" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
        -len_control=0 -max_len=1048576 -artifact_prefix=build-fuzz/ "$corpus" "$seeds"
done

# The sanitizer stage builds with clang and the last stage with GCC, so that the suite is known to build
# with both compilers. The sanitizer stage also leaves out the precompiled headers, which hide a file that
# does not include what it uses: of the two it costs the least without them, and its folder is its own
# (CMake would keep the setting in the folder that the run command builds as well).
build_stage "sanitizer build" sanitizer-build build-asan -DKESTRUM_SANITIZE=ON -DKESTRUM_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON
test_stage "sanitizer tests" build-asan sanitizer-tests \
    ASAN_OPTIONS="detect_leaks=0:suppressions=$root/tests/asan-suppressions.txt"

build_stage "build" build build
test_stage "tests" build tests
