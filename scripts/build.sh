#!/usr/bin/env bash
# Configures and builds one build folder: scripts/build.sh <folder> [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir="$1"; shift
# Qt's meta-object code is not always regenerated in an existing folder when headers are added:
# start it afresh whenever the set of headers changes.
headers="$(find app views hexedit engine3d -name '*.h' | sort | md5sum | cut -d' ' -f1)"
if [ -d "$dir" ] && [ "$(cat "$dir/.headers" 2>/dev/null)" != "$headers" ]; then
    find "$dir" -maxdepth 3 -type d -name '*_autogen' -prune -exec rm -rf {} +
fi
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
echo "$headers" > "$dir/.headers"
