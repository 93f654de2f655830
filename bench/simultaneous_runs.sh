#!/bin/sh
# Starts pairs of command-line runs of Calvor on one folder at the same time,
# as two documents opened together from the file manager do, and checks that
# the index file keeps every value and that no run reports it (message 200).
#
#   bench/simultaneous_runs.sh [program] [pairs]     (defaults: build/calvor, 300)
#
# Two rounds: the index file already in the program's own form (nothing to
# rewrite), then a file with a comment and a missing decimal that the first
# run of each pair rewrites while the second reads it. Runs without a display.
set -eu

program=$(readlink -f "${1:-build/calvor}")
pairs=${2:-300}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/config/MORVA"
cp "$program" "$work/calvor"
# "Cible" 3: nothing is opened or put on the clipboard.
printf '[G%%E9n%%E9ral]\nCible=3\n' > "$work/config/MORVA/Calvor.conf"
# A document: 1 April 2000, 15 March 2001 to 10 June 2005, reference 2000 Q2,
# rent 500 (the date words are day | month << 7 | year << 14, little-endian).
printf 'CLV\001\002\364\001\217A\364\001\012C\365\001\001\002\364\001\000\000\000\000\000\100\177\100' \
    > "$work/doc.clv"

# 548 distinct values, as the user typed them, in the program's own form.
index_lines() {
    awk 'BEGIN {
        printf "; Les indices doivent \352tre entr\351s dans l'"'"'ordre chronologique \340 partir de 1970\r\n\r\n"
        for (i = 0; i < 548; i++) {
            line = sprintf("%8.2f   ; %d - Trim %d", 100 + i * 0.25, 1970 + int(i / 4), i % 4 + 1)
            gsub(/\./, ",", line)
            printf "%s\r\n", line
        }
    }'
}
index_lines > "$work/canonical.txt"
# The same values, written by hand: a comment between them, "100" for "100,00".
{ printf '; saisi a la main\r\n'; index_lines | sed 's/^  100,00 /  100 /'; } > "$work/by-hand.txt"

run_one() { # $1: the name of the run's outputs
    rc=0
    (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
        XDG_CONFIG_HOME="$work/config" ./calvor doc.clv 2> "err.$1") || rc=$?
    echo "$rc" > "$work/rc.$1"
}

run_pairs() { # $1: file to put in place before each pair, or "" to leave it
    changed=0 reported=0 failed=0
    start=$(date +%s.%N)
    i=0
    while [ "$i" -lt "$pairs" ]; do
        [ -n "$1" ] && cp "$1" "$work/Indices.txt"
        run_one a &
        run_one b &
        wait
        cmp -s "$work/Indices.txt" "$work/canonical.txt" || changed=$((changed + 1))
        if grep -q 'Calvor: Le fichier contenant les indices' "$work/err.a" "$work/err.b"; then
            reported=$((reported + 1))
        fi
        [ "$(cat "$work/rc.a")$(cat "$work/rc.b")" = 00 ] || failed=$((failed + 1))
        i=$((i + 1))
    done
    end=$(date +%s.%N)
    printf '%s: %d pairs, index file changed in %d, message 200 in %d, a run failed in %d, %.1f s\n' \
        "$2" "$pairs" "$changed" "$reported" "$failed" "$(echo "$end - $start" | bc)"
    [ "$changed" -eq 0 ] && [ "$reported" -eq 0 ] && [ "$failed" -eq 0 ]
}

cp "$work/canonical.txt" "$work/Indices.txt"
status=0
run_pairs "" "file in the program's form" || status=1
run_pairs "$work/by-hand.txt" "file rewritten by the first run" || status=1
exit $status
