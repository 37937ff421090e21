#!/usr/bin/env bash
# Kills quorvane-cli with SIGKILL at random moments while it saves a large file with its ".bak",
# and checks after every kill that the file and its backup each hold one complete version: never
# a file cut short, never a lost backup. Temporary files the killed runs leave are counted, and
# the next save must remove them all.
#
#   bench/kill_save_stress.sh [CLI] [SIZE_MIB] [KILLS] [FOLDER]
#
# Defaults: build/src/cli/quorvane-cli, 1024 MiB, 20 kills, a fresh folder under $TMPDIR (use a
# folder on a real disk: the point is the sync and the rename). Exit status 0 when every check held.
set -euo pipefail

cli=${1:-build/src/cli/quorvane-cli}
size_mib=${2:-1024}
kills=${3:-20}
work=$(mktemp -d "${4:-${TMPDIR:-/tmp}}/qv-kill.XXXXXX")
trap 'rm -rf "$work"' EXIT

file="$work/data.bin"
# Two versions of the file that differ in the bytes the replace changes: "QVKILL-A" or "QVKILL-B"
# every 64 MiB. Each run turns one into the other, so every complete save is one of the two.
make_version() { # $1 = out, $2 = marker
    truncate -s "${size_mib}M" "$1"
    local off=0
    while [ "$off" -lt $((size_mib * 1024 * 1024 - 16)) ]; do
        printf '%s' "$2" | dd of="$1" bs=1 seek="$off" conv=notrunc status=none
        off=$((off + 64 * 1024 * 1024))
    done
}
make_version "$work/a.ref" QVKILL-A
make_version "$work/b.ref" QVKILL-B
sum_a=$(sha256sum <"$work/a.ref" | cut -d' ' -f1)
sum_b=$(sha256sum <"$work/b.ref" | cut -d' ' -f1)
rm -f "$work/b.ref"
mv "$work/a.ref" "$file"

# Patterns are given in written order (--big-endian); replacement numbers are little endian, so
# their bytes are given reversed.
hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n' | tr a-f A-F; }
hexrev() { printf '%s' "$1" | od -An -tx1 | tr -s ' \n' ' ' | awk '{for (i = NF; i > 0; i--) printf "%s", $i}' | tr a-f A-F; }
a=$(hex QVKILL-A); b=$(hex QVKILL-B); a_le=$(hexrev QVKILL-A); b_le=$(hexrev QVKILL-B)

# One undisturbed run, both ways, for the time a save takes.
start=$(date +%s%N)
"$cli" replace "$file" --hex "$a" --big-endian --with-hex "$b_le" >/dev/null
[ "$(sha256sum <"$file" | cut -d' ' -f1)" = "$sum_b" ] || { echo "the replace does not give the second version"; exit 1; }
"$cli" replace "$file" --hex "$b" --big-endian --with-hex "$a_le" >/dev/null
run_ms=$(( ($(date +%s%N) - start) / 2000000 ))
echo "one save of ${size_mib} MiB with its backup: ${run_ms} ms"

failures=0
leftovers=0
for i in $(seq 1 "$kills"); do
    state=$(sha256sum <"$file" | cut -d' ' -f1)
    if [ "$state" = "$sum_a" ]; then args=(--hex "$a" --big-endian --with-hex "$b_le")
    else args=(--hex "$b" --big-endian --with-hex "$a_le"); fi
    "$cli" replace "$file" "${args[@]}" >/dev/null 2>&1 &
    pid=$!
    delay_ms=$(( RANDOM % (run_ms + 1) ))
    sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true

    now=$(sha256sum <"$file" | cut -d' ' -f1)
    bak=$( [ -e "$file.bak" ] && sha256sum <"$file.bak" | cut -d' ' -f1 || echo missing)
    verdict=ok
    if [ "$now" != "$sum_a" ] && [ "$now" != "$sum_b" ]; then verdict="FILE BROKEN"; fi
    if [ "$bak" != "$sum_a" ] && [ "$bak" != "$sum_b" ]; then verdict="$verdict BACKUP BROKEN ($bak)"; fi
    # A killed writer cannot remove its temporary file: count them. They stay, for the next
    # write of the same target to remove (their writer's process is gone by then).
    n=$(find "$work" -name '*.qvtmp' | wc -l)
    leftovers=$((leftovers + n))
    echo "kill $i after ${delay_ms} ms: $verdict"
    [ "$verdict" = ok ] || failures=$((failures + 1))
done
# One more undisturbed save: it must leave no temporary file at all, its own or the killed runs'.
state=$(sha256sum <"$file" | cut -d' ' -f1)
if [ "$state" = "$sum_a" ]; then args=(--hex "$a" --big-endian --with-hex "$b_le")
else args=(--hex "$b" --big-endian --with-hex "$a_le"); fi
"$cli" replace "$file" "${args[@]}" >/dev/null
remaining=$(find "$work" -name '*.qvtmp' | wc -l)
echo "kills: $kills, broken states: $failures, temporary files left by killed runs: $leftovers," \
     "left after the next save: $remaining"
[ "$failures" -eq 0 ] && [ "$remaining" -eq 0 ]
