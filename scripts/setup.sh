#!/usr/bin/env bash
# Installs the system packages Quorvane needs (when missing) and builds it into build/ (or $1).
set -euo pipefail
cd "$(dirname "$0")/.."

# The last line: the programs whose files the shipped structure definitions are tested on.
packages=(build-essential cmake ninja-build ccache pkg-config qt6-base-dev qt6-base-dev-tools
          qt6-translations-l10n libgl1-mesa-dev libssl-dev libgtest-dev libgmock-dev libbenchmark-dev
          fonts-noto-cjk fonts-ipafont-gothic xvfb xauth libqt6svg6 desktop-file-utils appstream dpkg-dev poppler-utils python3
          imagemagick sqlite3 dosfstools fdisk gdisk binutils shim-unsigned)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi

build="${1:-build}"
shift || true
cmake -S . -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build"
