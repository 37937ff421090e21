#!/usr/bin/env bash
# Builds the Debian package from a build folder (default build/), installs it with apt-get,
# checks that the installed programs run and the desktop files are in place, and removes it
# again, checking that nothing of it stays behind. Needs root or sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build}")"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/quorvane_*_*.deb | head -1)"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get install -y -qq "$deb" >/dev/null
trap '$sudo dpkg -r quorvane >/dev/null 2>&1 || true' EXIT
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM quorvane --version | grep -qx 'Quorvane Ver2.44'
quorvane-cli --version | grep -qx 'quorvane-cli Ver2.44'
# print runs in the helper program installed beside the package's other files.
scratch="$(mktemp -d)"
printf 'ABCDEFGHIJKLMNOPQRSTUVWXYZ' > "$scratch/p.bin"
env -u DISPLAY -u WAYLAND_DISPLAY quorvane-cli print "$scratch/p.bin" -o "$scratch/p.pdf" 2>/dev/null | grep -qx '1ページ'
test -s "$scratch/p.pdf"
rm -rf "$scratch"
test -f /usr/share/applications/com.pellamy.Quorvane.desktop
test -f /usr/share/icons/hicolor/scalable/apps/com.pellamy.Quorvane.svg
test -f /usr/share/metainfo/com.pellamy.Quorvane.metainfo.xml
$sudo dpkg -r quorvane >/dev/null
trap - EXIT
if dpkg-query -W -f='${Status}' quorvane 2>/dev/null | grep -q "install ok installed" \
   || [ -e /usr/bin/quorvane ] || [ -e /usr/libexec/quorvane ] \
   || [ -e /usr/share/applications/com.pellamy.Quorvane.desktop ]; then
  echo "the package left files behind" >&2
  exit 1
fi
echo "Debian package: installs, runs and uninstalls cleanly ($deb)"
