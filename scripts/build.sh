#!/usr/bin/env bash
# Configures (when needed) and builds one build folder:
#   scripts/build.sh <folder> [--target <name>] [cmake options...]
# A folder already configured with the same options is not configured again: ninja itself re-runs CMake
# when a CMake file changes, so a second build with nothing changed does nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="$1"; shift
target=()
if [ "${1:-}" = "--target" ]; then
    target=(--target "$2"); shift 2
fi
options="$*"
# Qt's meta-object code is not always regenerated in an existing folder when headers are added:
# start it afresh whenever the set of headers changes.
headers="$(find app views hexedit engine3d -name '*.h' | sort | md5sum | cut -d' ' -f1)"
if [ -d "$dir" ] && [ "$(cat "$dir/.headers" 2>/dev/null)" != "$headers" ]; then
    find "$dir" -maxdepth 3 -type d -name '*_autogen' -prune -exec rm -rf {} +
fi
if [ ! -f "$dir/build.ninja" ] || [ "$(cat "$dir/.options" 2>/dev/null)" != "$options" ]; then
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    echo "$options" > "$dir/.options"
fi
cmake --build "$dir" --parallel "$(nproc)" "${target[@]}"
echo "$headers" > "$dir/.headers"
