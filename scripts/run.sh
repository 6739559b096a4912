#!/usr/bin/env bash
# Installs what is missing, builds the viewer and starts it, optionally on a page or age file.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build" -DKESTRUM_BENCH=OFF
args=()
[ $# -gt 0 ] && args+=("$(realpath -m "$1")")
exec "$root/build/kestrum" "${args[@]}"
