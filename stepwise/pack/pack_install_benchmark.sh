#!/usr/bin/env bash
# Packs a mixed payload (text, program code, records, incompressible bytes) with LZX:21 and
# with MSZIP, and installs each unattended under Wine. Prints pack time, installer size
# against the payload, and install time. A benchmark run by hand, not a test:
#   source tools/session.sh; session_start own
#   stepwise/pack/pack_install_benchmark.sh build/release/bin/stepwise-pack \
#       build/windows64/bin tools/wine-run [MEGABYTES]
#   session_stop
set -euo pipefail

pack="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
bin="$(cd "$2" && pwd)"
wine_run="$(cd "$(dirname "$3")" && pwd)/$(basename "$3")"
megabytes="${4:-100}"
work="$(mktemp -d "${TMPDIR:-/tmp}/pack-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc; }

# About a quarter each of text, program code, numeric records and random bytes, in files of
# 64 KB to 4 MB.
mkdir -p "$work/src"
target=$((megabytes * 1024 * 1024))
total=0
n=0
texts=(/usr/share/common-licenses/*)
programs=(/usr/bin/*)
files="[FILES]"
while [ "$total" -lt "$target" ]; do
    size=$(( (RANDOM % 64 + 1) * 65536 ))
    name="part$n.bin"
    case $((n % 4)) in
        0) while [ "$(stat -c %s "$work/src/$name" 2>/dev/null || echo 0)" -lt "$size" ]; do
               cat "${texts[$((RANDOM % ${#texts[@]}))]}" >> "$work/src/$name"; done
           truncate -s "$size" "$work/src/$name" ;;
        1) while [ "$(stat -c %s "$work/src/$name" 2>/dev/null || echo 0)" -lt "$size" ]; do
               f="${programs[$((RANDOM % ${#programs[@]}))]}"
               [ -f "$f" ] && cat "$f" >> "$work/src/$name" || true; done
           truncate -s "$size" "$work/src/$name" ;;
        2) seq "$n" 7 $((size / 2)) | head -c "$size" > "$work/src/$name" ;;
        3) head -c "$size" /dev/urandom > "$work/src/$name" ;;
    esac
    total=$((total + $(stat -c %s "$work/src/$name")))
    files+=$'\r\n'"PR$n=$name"$'\r\n'"ON$n=<Install Dir>"
    n=$((n + 1))
done
printf '[APPINFO]\r\n1=PackBench\r\n5=<Program Files>\\PackBench\r\n[DIALOG]\r\nCOMPLETE2=1\r\n%s\r\nTOTAL=%d\r\n' \
    "$files" "$n" > "$work/data.tag"
# TOTAL goes after the entries: the profile reader takes keys in any order.

printf 'payload: %d files, %.1f MB\n' "$n" "$(echo "$total / 1048576" | bc -l)"
for method in lzx:21 mszip; do
    out="$work/setup-${method/:/}"
    start=$(now)
    "$pack" --compress "$method" --stepwise "$bin/Stepwise.exe" --uninstaller "$bin/wizuninst.exe" \
        "$work/data.tag" "$work/src" "$out" > /dev/null
    packed=$(elapsed "$start" "$(now)")
    cabs=$(cat "$out"/file*.cab | wc -c)
    folder="C:\\PackBench-${method/:/}"
    start=$(now)
    (cd "$out" && "$wine_run" Stepwise.exe /S "/D=$folder" > /dev/null) || echo "install exit $?"
    installed=$(elapsed "$start" "$(now)")
    "$wine_run" "C:\\windows\\system32\\wizuninst.exe" /S "$folder\\install.log" > /dev/null ||
        echo "uninstall exit $?"
    printf '%-7s pack %6.2f s (%5.1f MB/s)  installer %6.1f MB = %5.1f %% of the payload  install under Wine %6.2f s\n' \
        "$method" "$packed" "$(echo "$total / 1048576 / $packed" | bc -l)" \
        "$(echo "$cabs / 1048576" | bc -l)" "$(echo "100 * $cabs / $total" | bc -l)" "$installed"
done
