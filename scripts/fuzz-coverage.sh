#!/usr/bin/env bash
# Line coverage that each fuzz target reaches from its seeds in a short run:
#   scripts/fuzz-coverage.sh [seconds]   (default 30; needs the build-fuzz seed makers)
# Builds build-cov (source-based coverage instead of the sanitizers), runs every target from its seeds
# (four at a time) and prints the line coverage of the files each one reads with.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
bash scripts/build.sh build-fuzz -DKESTRUM_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
bash scripts/build.sh build-cov -DKESTRUM_FUZZ=ON -DKESTRUM_FUZZ_COVERAGE=ON -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
declare -A readers=(
    [pagefile]="pagefile/Streams.cpp pagefile/PRPClasses.cpp"
    [objparts]="views/parts/ClothingParts.cpp views/parts/DrawableParts.cpp views/parts/GeometryParts.cpp
                views/parts/GuiControlParts.cpp views/parts/GuiParts.cpp views/parts/LayerParts.cpp
                views/parts/LightParts.cpp views/parts/LogicParts.cpp views/parts/MatrixBounds.cpp
                views/parts/ObjectParts.cpp views/parts/PythonParts.cpp views/parts/SceneParts.cpp
                views/parts/ShadowParts.cpp views/parts/SoundParts.cpp"
    [texture]="views/parts/PRPTexture.cpp"
    [dds]="engine3d/Source/DDS.cpp"
    [dxtc]="engine3d/Source/DXTC.cpp"
    [jpeg]="engine3d/Source/Platform/PlatformJPEG.cpp"
    [hexclip]="hexedit/HexDataObject.cpp"
    [hexsettings]="hexedit/HexEditorExSettings.cpp"
    [classtable]="pagefile/PRPClassTables.cpp"
)
names=(pagefile objparts texture dds dxtc jpeg hexclip hexsettings classtable)
rm -rf build-cov/runs && mkdir -p build-cov/runs
run() {
    local name="$1" dir="build-cov/runs/$1"
    mkdir -p "$dir/seeds" "$dir/corpus"
    "build-fuzz/fuzz_${name}_seeds" "$dir/seeds"
    LLVM_PROFILE_FILE="$dir/%p.profraw" "build-cov/fuzz_$name" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -artifact_prefix="$dir/" "$dir/corpus" "$dir/seeds" >"$dir/log" 2>&1 || true
    llvm-profdata-14 merge -sparse "$dir"/*.profraw -o "$dir/merged.profdata"
}
for ((i = 0; i < ${#names[@]}; i += 4)); do
    for name in "${names[@]:i:4}"; do run "$name" & done
    wait
done
for name in "${names[@]}"; do
    echo "== fuzz_$name: $(grep -E '^#[0-9]+' "build-cov/runs/$name/log" | tail -n 1 | cut -c1-60)"
    # shellcheck disable=SC2086
    llvm-cov-14 report "build-cov/fuzz_$name" -instr-profile="build-cov/runs/$name/merged.profdata" \
        | grep -E "$(echo ${readers[$name]} | sed "s/ \+/|/g")" | awk '{print "  " $1, "lines", $10}'
done
