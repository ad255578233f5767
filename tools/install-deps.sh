#!/usr/bin/env bash
# Installs what building and testing Tarnivo needs on Debian or Ubuntu.
# Usage: tools/install-deps.sh [--windows]   (run as root, or with sudo on PATH)
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

linux_pkgs=(g++ cmake make clang-format libgtest-dev libgtk-3-dev libxtst-dev pkg-config xvfb xdotool x11-xserver-utils imagemagick desktop-file-utils clang libclang-rt-14-dev
            xdg-utils libglib2.0-bin libxml2-utils dbus at-spi2-core python3-pyatspi zenity
            xfsprogs btrfs-progs attr acl e2fsprogs)
# rpmbuild, for the RPM package and its test.
linux_pkgs+=(rpm)
missing=()
for p in "${linux_pkgs[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if [ "${1:-}" = "--windows" ]; then
  for p in g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 fonts-wine nsis; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
  if ! dpkg --print-foreign-architectures | grep -qx i386; then $SUDO dpkg --add-architecture i386; fi
fi
# The share tests' real SMB server and GVfs mount, without recommends (those
# would bring a whole desktop session).
share_pkgs=(samba gvfs-backends gvfs-fuse libglib2.0-bin dbus fuse3 python3)
# The accessibility suite's Wayland run: a headless Weston.
share_pkgs+=(weston)
share_missing=()
for p in "${share_pkgs[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || share_missing+=("$p"); done
if [ "${#missing[@]}" -gt 0 ] || [ "${#share_missing[@]}" -gt 0 ]; then
  $SUDO apt-get update
fi
if [ "${#missing[@]}" -gt 0 ]; then
  # With recommends: Wine needs several of its recommended packages to run here.
  $SUDO apt-get install -y "${missing[@]}"
fi
if [ "${#share_missing[@]}" -gt 0 ]; then
  $SUDO apt-get install -y --no-install-recommends "${share_missing[@]}"
fi
