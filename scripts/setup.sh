#!/usr/bin/env bash
# Installs, from Debian's archive, whatever the build (and with --test, the
# test suite) still lacks. Runs as root; falls back to sudo when present.
set -euo pipefail

build_pkgs=(cmake ninja-build g++ qt6-base-dev libgl-dev fonts-liberation2 fonts-dejavu-core
            zlib1g-dev)  # kalvor1-report writes its charts as PNG
test_pkgs=(googletest libgtest-dev libbenchmark-dev xvfb xauth x11-utils imagemagick
           cups cups-client cups-bsd printer-driver-cups-pdf poppler-utils
           clang libclang-rt-14-dev
           xdotool)  # scripts/screenshot.sh types and clicks into the window on a virtual screen

want=("${build_pkgs[@]}")
[ "${1:-}" = "--test" ] && want+=("${test_pkgs[@]}")

missing=()
for p in "${want[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
