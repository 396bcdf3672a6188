#!/usr/bin/env bash
# Installs, from Debian's archive, whatever the build still lacks; with --package
# also what cpack needs to make the Debian package, with --test also the test
# suite's. Runs as root; falls back to sudo when present.
set -euo pipefail

build_pkgs=(cmake ninja-build g++ qt6-base-dev libgl-dev fonts-liberation2 fonts-dejavu-core
            qt6-translations-l10n  # Qt's own dialogs in German
            zlib1g-dev)  # kalvor1-report writes its charts as PNG
test_pkgs=(googletest libgtest-dev libbenchmark-dev xvfb xauth x11-utils imagemagick
           cups cups-client cups-bsd printer-driver-cups-pdf poppler-utils
           clang libclang-rt-14-dev
           xdotool   # scripts/screenshot.sh types and clicks into the window on a virtual screen
           locales   # the suite runs once more under de_DE.UTF-8
           python3-pyatspi at-spi2-core dbus  # the window read through the accessibility bus
           chromium  # the report test renders the page of kalvor1-report --html headless
           lintian  # the package test checks the package
           desktop-file-utils shared-mime-info libglib2.0-bin xdg-utils appstream)  # the desktop files' checks
package_pkgs=(dpkg-dev file)  # cpack -G DEB runs dpkg-shlibdeps, which needs file

want=("${build_pkgs[@]}")
case "${1:-}" in
  --test) want+=("${test_pkgs[@]}" "${package_pkgs[@]}") ;;
  --package) want+=("${package_pkgs[@]}") ;;
esac

missing=()
for p in "${want[@]}"; do
  status=$(LC_ALL=C dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
    as_root=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The German desktop the suite runs under a second time.
if [ "${1:-}" = "--test" ] && ! LC_ALL=C locale -a | grep -qiE '^de_DE\.utf-?8$'; then
  echo "Generating the locale de_DE.UTF-8"
  as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root (or sudo) to generate de_DE.UTF-8" >&2; exit 1; }
    as_root=(sudo)
  fi
  if grep -qE '^#? *de_DE\.UTF-8 UTF-8' /etc/locale.gen; then
    "${as_root[@]}" sed -i -E 's/^# *(de_DE\.UTF-8 UTF-8)/\1/' /etc/locale.gen
  else
    echo "de_DE.UTF-8 UTF-8" | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${as_root[@]}" locale-gen >/dev/null
fi
