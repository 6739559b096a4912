#!/usr/bin/env bash
# Installs what is missing, builds the viewer (and only what it needs) and starts it, optionally on a page
# or age file. It shares the build folder with the test command, so each reuses what the other built.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build" --target kestrum
args=()
[ $# -gt 0 ] && args+=("$(realpath -m "$1")")
exec "$root/build/kestrum" "${args[@]}"
