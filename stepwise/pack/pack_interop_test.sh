#!/usr/bin/env bash
# A folder written by stepwise-pack, read back by stepwise-cab (list) and by Debian's
# cabextract (an independent reader), byte for byte against the sources.
#   pack_interop_test.sh single|chain|mszip STEPWISE_PACK STEPWISE_CAB
# Exit 77 means "skipped" (cabextract is not installed).
set -euo pipefail

case_name="$1"
pack="$2"
cab="$3"
command -v cabextract >/dev/null 2>&1 || { echo "SKIP: cabextract is not installed"; exit 77; }
work="$(mktemp -d "${TMPDIR:-/tmp}/pack-interop-$case_name.XXXXXX")"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/src" "$work/bin"
cat /usr/share/common-licenses/GPL-3 > "$work/src/license.txt"
printf 'Read me first.\r\n' > "$work/src/readme.txt"
head -c 400000 "$(command -v bash)" > "$work/src/app.exe"
seq 1 40000 > "$work/src/numbers.dat"
head -c 200000 /dev/urandom > "$work/src/random.bin"
printf 'MZ installer' > "$work/bin/Stepwise.exe"
head -c 70000 "$(command -v ls)" > "$work/bin/wizuninst.exe"
cat > "$work/data.tag" <<'TAG'
[APPINFO]
1=Interop
5=<Program Files>\Interop
[FILES]
TOTAL=4
PR0=app.exe
ON0=<Install Dir>
PR1=numbers.dat
ON1=<Install Dir>\data
PR2=random.bin
ON2=<Install Dir>\data
PR3=app.exe
ON3=<Install Dir>\backup
TAG

options=()
case "$case_name" in
    single) ;;
    chain) options=(--max-size 100K) ;;
    mszip) options=(--compress mszip) ;;
    *) fail "unknown case $case_name" ;;
esac
"$pack" "${options[@]}" --stepwise "$work/bin/Stepwise.exe" --uninstaller "$work/bin/wizuninst.exe" \
    "$work/data.tag" "$work/src" "$work/out"

cabinets=$(ls "$work/out" | grep -c '^file[0-9]*\.cab$')
if [ "$case_name" = chain ]; then
    [ "$cabinets" -ge 5 ] || fail "expected a chain of at least 5 cabinets, got $cabinets"
    for c in "$work"/out/file*.cab; do
        [ "$(stat -c %s "$c")" -le 102400 ] || fail "$c is larger than the limit"
    done
else
    [ "$cabinets" -eq 1 ] || fail "expected one cabinet, got $cabinets"
fi
cmp "$work/data.tag" "$work/out/data.tag" || fail "data.tag differs"
cmp "$work/bin/Stepwise.exe" "$work/out/Stepwise.exe" || fail "Stepwise.exe differs"

"$cab" list "$work/out/file1.cab" > "$work/listing"
for name in F0_app.exe F1_numbers.dat F2_random.bin F3_app.exe license.txt readme.txt wizuninst.exe; do
    grep -q "$name" "$work/listing" || fail "stepwise-cab does not list $name"
done

mkdir "$work/x"
(cd "$work/out" && cabextract -q -d "$work/x" file1.cab) || fail "cabextract failed"
[ "$(ls "$work/x" | wc -l)" -eq 7 ] || fail "cabextract wrote $(ls "$work/x" | wc -l) files, not 7"
cmp "$work/src/app.exe" "$work/x/F0_app.exe" || fail "F0_app.exe differs"
cmp "$work/src/numbers.dat" "$work/x/F1_numbers.dat" || fail "F1_numbers.dat differs"
cmp "$work/src/random.bin" "$work/x/F2_random.bin" || fail "F2_random.bin differs"
cmp "$work/src/app.exe" "$work/x/F3_app.exe" || fail "F3_app.exe differs"
cmp "$work/src/license.txt" "$work/x/license.txt" || fail "license.txt differs"
cmp "$work/src/readme.txt" "$work/x/readme.txt" || fail "readme.txt differs"
cmp "$work/bin/wizuninst.exe" "$work/x/wizuninst.exe" || fail "wizuninst.exe differs"
echo "OK: $case_name ($cabinets cabinet(s))"
