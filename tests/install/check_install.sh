#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the result the way a desktop sees it:
# files where the freedesktop specifications want them, the desktop entry and the AppStream
# data valid, and the installed programs running.
set -euo pipefail
build="$1"
dest="$(mktemp -d)"
trap 'rm -rf "$dest"' EXIT
prefix=/usr
DESTDIR="$dest" cmake --install "$build" --prefix "$prefix" >/dev/null
root="$dest$prefix"
fail() { echo "FAIL: $*" >&2; exit 1; }

id=com.pellamy.Quorvane
for f in bin/quorvane bin/quorvane-cli \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg \
         share/man/man1/quorvane.1 share/man/man1/quorvane-cli.1 \
         share/man/ja/man1/quorvane.1 share/man/ja/man1/quorvane-cli.1; do
  [ -e "$root/$f" ] || fail "missing $f"
done
for size in 16 22 24 32 48 64 128 256; do
  png="$root/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -s "$png" ] || fail "missing icon ${size}x${size}"
  # The PNG header holds the width and height: they must be the folder's size.
  dims=$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ' | sed 's/^ //')
  read -r w0 w1 w2 w3 h0 h1 h2 h3 <<<"$dims"
  [ $(( (w2 << 8) | w3 )) -eq "$size" ] && [ $(( (h2 << 8) | h3 )) -eq "$size" ] || fail "icon ${size}x${size} has another size"
done
[ -x "$root/bin/quorvane" ] && [ -x "$root/bin/quorvane-cli" ] || fail "programs not executable"

desktop-file-validate "$root/share/applications/$id.desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml" >/dev/null || fail "metainfo invalid"
grep -q '^Exec=quorvane %f$' "$root/share/applications/$id.desktop" || fail "Exec line"
grep -q '^MimeType=application/octet-stream;$' "$root/share/applications/$id.desktop" || fail "MimeType line"

# The installed programs answer --version without a display and without starting a window.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/quorvane-cli" --version | grep -qx 'quorvane-cli Ver2.44' || fail "quorvane-cli --version"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/quorvane" --version | grep -qx 'Quorvane Ver2.44' || fail "quorvane --version"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/quorvane" --help | grep -q -- '--version' || fail "quorvane --help"
grep -q "^.TH QUORVANE-CLI 1" "$root/share/man/man1/quorvane-cli.1" && grep -q "^.TH QUORVANE 1" "$root/share/man/ja/man1/quorvane.1" || fail "man pages"
# The shipped structure definitions, found by the installed program by their names alone.
for def in bmp elf32 elf64 fat32 gif gpt gzip jpeg mbr pe png sqlite tar wav zip; do
  [ -s "$root/share/quorvane/structs/$def.def" ] || fail "missing structure definition $def.def"
done
head -c 64 /dev/zero > "$dest/zero.bin"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/quorvane-cli" struct "$dest/zero.bin" --def bmp.def >"$dest/struct.txt" \
  || fail "the installed quorvane-cli does not find bmp.def"
[ -s "$dest/struct.txt" ] || fail "no structure rows"
# print is handed to the helper in the system's program folder, found from the installed quorvane-cli.
[ -x "$root/libexec/quorvane/quorvane-print" ] || fail "missing libexec/quorvane/quorvane-print"
env -u DISPLAY -u WAYLAND_DISPLAY "$root/bin/quorvane-cli" print "$dest/zero.bin" -o "$dest/zero.pdf" 2>/dev/null | grep -qx '1ページ' \
  || fail "the installed quorvane-cli does not print through its helper"
[ -s "$dest/zero.pdf" ] || fail "no PDF from the installed quorvane-cli"
echo "install layout OK"
