#!/usr/bin/env bash
# Line coverage of the whole test suite, per product file and in total:
#   scripts/test-coverage.sh [commit]
# Builds the suite with clang's source-based coverage (build-testcov), runs all of ctest on a virtual X
# server, and prints the lines the test programs and kestrum run in every file of pagefile/, hexedit/, app/,
# views/ and engine3d/ (tests/, the build's generated files and the system headers are left out).
# With a commit, that commit is measured instead, from a work tree of its own under build-testcov/, so that
# two commits can be compared in the same way. CI does not run this.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh
jobs="$(nproc)"
src="$root"
out="$root/build-testcov/build"
if [ $# -gt 0 ]; then
    rev="$(git rev-parse --short "$1")"
    src="$root/build-testcov/tree-$rev"
    out="$root/build-testcov/build-$rev"
    [ -d "$src" ] || git worktree add --detach "$src" "$rev" >/dev/null
fi

instrument="-fprofile-instr-generate -fcoverage-mapping"
cmake -S "$src" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUM_BENCH=OFF \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_FLAGS="$instrument" \
    -DCMAKE_CXX_FLAGS="$instrument" -DCMAKE_EXE_LINKER_FLAGS=-fprofile-instr-generate \
    -DCMAKE_SHARED_LINKER_FLAGS=-fprofile-instr-generate >/dev/null
cmake --build "$out" --parallel "$jobs"

# Every process of a test program adds its counts to a small pool of files per program (%4m), so that
# thousands of test processes leave a handful of files. Scratch files go to a folder of this run's own.
profiles="$out/profiles"
rm -rf "$profiles" "$out/tmp" && mkdir -p "$profiles" "$out/tmp"
status=0
(cd "$out" && TMPDIR="$out/tmp" LLVM_PROFILE_FILE="$profiles/%4m.profraw" \
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest -j "$jobs" --output-on-failure >"$out/ctest.log" 2>&1) ||
    status=$?
tail -n 3 "$out/ctest.log"
llvm-profdata-14 merge -sparse "$profiles"/*.profraw -o "$out/suite.profdata"

objects=("$out/kestrum")
for program in "$out"/test_*; do
    [ -x "$program" ] && [ -f "$program" ] && objects+=(-object "$program")
done
# The program's entry point, app/main.cpp, is left out: no test runs it, and the merged counts cannot tell
# its main() from a test program's main() of the same shape.
mapfile -t files < <(cd "$src" && find pagefile hexedit app views engine3d \( -name '*.cpp' -o -name '*.h' \) \
    ! -path app/main.cpp | sort | sed "s|^|$src/|")
echo "== line coverage of the whole suite, per product file"
llvm-cov-14 report "${objects[@]}" -instr-profile="$out/suite.profdata" "${files[@]}" >"$out/report.txt"
# Columns of the report: file (relative to the folder all of them share), regions (3), functions (3),
# lines: count, missed, cover.
awk '
    $1 == "TOTAL" { printf "%-60s %8s of %6d lines (functions %s)\n", "TOTAL", $10, $8, $7; next }
    $2 ~ /^[0-9]+$/ { printf "%-60s %8s of %6d lines\n", $1, $10, $8 }
' "$out/report.txt"
if [ "$status" -ne 0 ]; then
    echo "some tests failed: see $out/ctest.log" >&2
fi
exit "$status"
