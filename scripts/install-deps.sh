#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
set -euo pipefail
PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev libqt6opengl6-dev libgl-dev libglu1-mesa-dev
          libgl1-mesa-dri libjpeg-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth clang
          libclang-rt-14-dev imagemagick libsquish-dev locales
          weston qt6-wayland xwayland xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils xdotool)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
