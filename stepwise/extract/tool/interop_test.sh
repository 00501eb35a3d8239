#!/usr/bin/env bash
# Interoperability checks for stepwise-cab against independent cabinet code: Debian's
# cabextract, Wine's extrac32 and cabarc, and gcab. Each case works in its own temporary
# folder so CTest can run them in parallel.
#   interop_test.sh CASE STEPWISE_CAB WINE_RUN
# Exit 77 means "skipped" (the case needs a tool this machine does not have).
set -euo pipefail

case_name="$1"
tool="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
wine_run="${3:-}"
work="$(mktemp -d "${TMPDIR:-/tmp}/cab-interop-$case_name.XXXXXX")"
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null 2>&1 || { echo "SKIP: $1 is not installed"; exit 77; }; }

# Deterministic inputs covering what the encoders choose between: text (verbatim blocks),
# 16-byte records (aligned-offset blocks pay off), already compressed bytes (uncompressed
# blocks), x86 code (E8 translation), an empty file, a sub-folder and a name with a space.
make_inputs() {
    local dir="$1"
    mkdir -p "$dir/sub dir"
    cat /usr/share/common-licenses/GPL-3 /usr/share/common-licenses/LGPL-2.1 > "$dir/licences.txt"
    seq 1 30000 | awk '{ printf "%07d:%07x\n", ($1 * 7919) % 9999991, ($1 * 104729) % 268435455 }' \
        > "$dir/records.dat"
    gzip -9nc /usr/share/common-licenses/GPL-2 /usr/share/common-licenses/Apache-2.0 \
        > "$dir/packed.gz"
    head -c 300000 "$(command -v bash)" > "$dir/sub dir/code.bin"
    : > "$dir/empty.txt"
    printf 'short\n' > "$dir/sub dir/tiny.txt"
}

# compare DIR_A DIR_B: same files, same bytes.
compare() {
    (cd "$1" && find . -type f | LC_ALL=C sort) > "$work/list-a"
    (cd "$2" && find . -type f | LC_ALL=C sort) > "$work/list-b"
    diff -u "$work/list-a" "$work/list-b" || fail "different file lists in $1 and $2"
    while read -r f; do
        cmp "$1/$f" "$2/$f" || fail "$f differs between $1 and $2"
    done < "$work/list-a"
}

# Our extraction of a cabinet (chain) compared with cabextract's.
check_ours_against_cabextract() {
    local cab="$1" name="$2"
    cabextract -q -d "$work/ce-$name" "$cab" || fail "cabextract could not extract $cab"
    "$tool" test "$cab" > /dev/null || fail "stepwise-cab test failed on $cab"
    "$tool" extract "$cab" "$work/ours-$name" || fail "stepwise-cab extract failed on $cab"
    compare "$work/ce-$name" "$work/ours-$name"
}

# Every cabinet of a chain through Wine's extrac32, first to last: Wine's FDI follows a file
# into the next cabinet but, like Windows', leaves the next cabinet's own files to the next
# call.
wine_extract_chain() {
    local out="$1"; shift
    mkdir -p "$out"
    for cab in "$@"; do
        # Wine maps the Unix root to drive Z:.
        (cd "$out" && "$wine_run" extrac32 /E /L . "Z:${cab//\//\\}" > /dev/null 2>&1) ||
            fail "Wine's extrac32 failed on $cab"
    done
}

need_wine() {
    need wine
    [ -n "$wine_run" ] && [ -x "$wine_run" ] || { echo "SKIP: no wine-run script"; exit 77; }
}

cd "$work"
make_inputs in

case "$case_name" in
methods)
    # Every method and LZX window, written by us, read by cabextract and by us.
    for m in none mszip lzx:15 lzx:16 lzx:17 lzx:18 lzx:19 lzx:20 lzx:21; do
        tag="${m/:/-}"
        (cd in && "$tool" create --compress "$m" "$work/$tag.cab" .) || fail "create $m"
        cabextract -q -d "$work/x-$tag" "$work/$tag.cab" || fail "cabextract on $m"
        compare in "$work/x-$tag"
        "$tool" extract "$work/$tag.cab" "$work/o-$tag" || fail "our extract of $m"
        compare in "$work/o-$tag"
    done
    # Stored times (two-second DOS steps) and the read-only attribute come back.
    touch -d '2021-03-04 05:06:08' in/records.dat
    chmod a-w in/records.dat
    (cd in && "$tool" create "$work/stamp.cab" records.dat) || fail "create stamp.cab"
    "$tool" extract "$work/stamp.cab" "$work/stamp" || fail "extract stamp.cab"
    [ "$(stat -c %Y "$work/stamp/records.dat")" = "$(stat -c %Y in/records.dat)" ] ||
        fail "the stored time was not set"
    [ -z "$(find "$work/stamp/records.dat" -perm /222)" ] ||
        fail "the read-only attribute was not applied"
    ;;
folders)
    # Several folders with different methods in one cabinet.
    (cd in && "$tool" create --compress none "$work/multi.cab" licences.txt \
        --compress lzx:16 records.dat "sub dir" --compress mszip packed.gz empty.txt) ||
        fail "create multi-folder"
    [ "$("$tool" list "$work/multi.cab" | grep -c '^Folder')" -eq 3 ] || fail "expected 3 folders"
    cabextract -q -d "$work/x" "$work/multi.cab" || fail "cabextract on multi-folder"
    compare in "$work/x"
    # A UTF-8 name is flagged as such and comes back unchanged. (Wine's extrac32 ignores the
    # flag, so this case stays with cabextract.)
    mkdir -p "$work/utf8/in"
    printf 'caf\xc3\xa9\n' > "$work/utf8/in/caf$(printf '\xc3\xa9').txt"
    (cd "$work/utf8/in" && "$tool" create ../u.cab .) || fail "create with a UTF-8 name"
    cabextract -q -d "$work/utf8/x" "$work/utf8/u.cab" || fail "cabextract on a UTF-8 name"
    compare "$work/utf8/in" "$work/utf8/x"
    "$tool" extract "$work/utf8/u.cab" "$work/utf8/o" || fail "our extract of a UTF-8 name"
    compare "$work/utf8/in" "$work/utf8/o"
    ;;
span)
    # Chains at a small maximum size, per method; every cabinet within the size.
    for m in none mszip lzx:21; do
        tag="${m/:/-}"
        mkdir -p "$work/$tag"
        (cd in && "$tool" create --compress "$m" --max-size 60000 "$work/$tag/disk1.cab" .) ||
            fail "create chain $m"
        [ -f "$work/$tag/disk2.cab" ] || fail "$m made no chain"
        for c in "$work/$tag"/*.cab; do
            [ "$(stat -c %s "$c")" -le 60000 ] || fail "$c exceeds the maximum size"
        done
        cabextract -q -d "$work/x-$tag" "$work/$tag/disk1.cab" 2>/dev/null || fail "cabextract on chain $m"
        compare in "$work/x-$tag"
        "$tool" extract "$work/$tag/disk1.cab" "$work/o-$tag" || fail "our extract of chain $m"
        compare in "$work/o-$tag"
    done
    ;;
lzx-differential)
    # Our LZX decoding against cabextract's on cabinets our writer makes, beyond the common
    # inputs: matches reaching back nearly a whole window (their source wraps around the
    # window's end, and the bytes just after each copy are history still to be read), data
    # several windows long, E8 translation in code, and folders cut at a size.
    mkdir -p "$work/d"
    cp -r in/. "$work/d/"
    cat /usr/share/common-licenses/* | gzip -9n > "$work/noise"
    cat /usr/share/common-licenses/* | gzip -1n >> "$work/noise"
    for bits in 15 16 17; do
        for back in 5 17 $(((1 << bits) / 2)); do
            distance=$(((1 << bits) - back))
            head -c "$distance" "$work/noise" > "$work/part"
            cat "$work/part" "$work/part" "$work/part" > "$work/d/far-$bits-$back.bin"
        done
    done
    head -c 600000 "$(command -v bash)" > "$work/d/long-code.bin"
    for m in lzx:15 lzx:16 lzx:17 lzx:18 lzx:19 lzx:20 lzx:21; do
        tag="${m/:/-}"
        (cd "$work/d" && "$tool" create --compress "$m" "$work/$tag.cab" .) || fail "create $m"
        check_ours_against_cabextract "$work/$tag.cab" "$tag"
        compare "$work/d" "$work/ours-$tag"
    done
    (cd "$work/d" && "$tool" create --compress lzx:21 --folder-size 400k "$work/cut.cab" .) ||
        fail "create with a folder size"
    [ "$("$tool" list "$work/cut.cab" | grep -c '^Folder')" -ge 4 ] || fail "expected 4 folders"
    check_ours_against_cabextract "$work/cut.cab" cut
    compare "$work/d" "$work/ours-cut"
    ;;
wine-methods)
    need_wine
    for m in none mszip lzx:15 lzx:18 lzx:21; do
        tag="${m/:/-}"
        (cd in && "$tool" create --compress "$m" "$work/$tag.cab" .) || fail "create $m"
        wine_extract_chain "$work/w-$tag" "$work/$tag.cab"
        compare in "$work/w-$tag"
    done
    (cd in && "$tool" create --compress none "$work/multi.cab" licences.txt \
        --compress lzx:17 records.dat "sub dir" --compress mszip packed.gz empty.txt) ||
        fail "create multi-folder"
    wine_extract_chain "$work/w-multi" "$work/multi.cab"
    compare in "$work/w-multi"
    ;;
wine-span)
    need_wine
    for m in none mszip lzx:21; do
        tag="${m/:/-}"
        mkdir -p "$work/$tag"
        (cd in && "$tool" create --compress "$m" --max-size 60000 "$work/$tag/disk1.cab" .) ||
            fail "create chain $m"
        chain=()
        i=1
        while [ -f "$work/$tag/disk$i.cab" ]; do chain+=("$work/$tag/disk$i.cab"); i=$((i + 1)); done
        [ "${#chain[@]}" -ge 2 ] || fail "$m made no chain"
        wine_extract_chain "$work/w-$tag" "${chain[@]}"
        compare in "$work/w-$tag"
    done
    ;;
wine-cabarc)
    # Chains made by Wine's cabarc -d and header reserves made by cabarc -s, read by us.
    need_wine
    mkdir -p "$work/chain" "$work/reserve"
    cp in/licences.txt in/records.dat in/packed.gz "in/sub dir/code.bin" "$work/chain/"
    (cd "$work/chain" && "$wine_run" cabarc -d 60000 -m mszip N 'part*.cab' licences.txt \
        records.dat packed.gz code.bin > /dev/null 2>&1) || fail "cabarc -d"
    [ -f "$work/chain/part2.cab" ] || fail "cabarc made no chain"
    check_ours_against_cabextract "$work/chain/part1.cab" chain
    cp in/licences.txt in/records.dat "$work/reserve/"
    (cd "$work/reserve" && "$wine_run" cabarc -s 6144 -m mszip N reserve.cab licences.txt \
        records.dat > /dev/null 2>&1) || fail "cabarc -s"
    flags="$(od -An -tu2 -j30 -N2 "$work/reserve/reserve.cab" | tr -d ' ')"
    [ $((flags & 4)) -ne 0 ] || fail "cabarc -s wrote no reserve area"
    check_ours_against_cabextract "$work/reserve/reserve.cab" reserve
    (cd "$work/reserve" && "$wine_run" cabarc -s 200 -m none N stored.cab licences.txt \
        > /dev/null 2>&1) || fail "cabarc -s -m none"
    check_ours_against_cabextract "$work/reserve/stored.cab" stored
    ;;
gcab)
    need gcab
    (cd in && gcab -c -z "$work/gcab.cab" licences.txt records.dat packed.gz empty.txt) ||
        fail "gcab -z"
    check_ours_against_cabextract "$work/gcab.cab" gcab
    ;;
errors)
    # Bad input: one message on stderr, non-zero exit, nothing written outside the folder.
    printf 'PK\003\004 not a cabinet' > "$work/zip.cab"
    if "$tool" test "$work/zip.cab" 2> "$work/err"; then fail "a ZIP file passed the test"; fi
    [ "$(wc -l < "$work/err")" -ge 1 ] || fail "no message for a ZIP file"
    if "$tool" list "$work/missing.cab" 2> /dev/null; then fail "a missing cabinet listed"; fi
    if "$tool" create "$work/no/such/x.cab" in 2> "$work/err"; then fail "created in a missing folder"; fi
    grep -q 'no/such' "$work/err" || fail "the message does not name the missing folder"
    if "$tool" create --compress lzx:22 "$work/x.cab" in 2> /dev/null; then
        fail "lzx:22 accepted"
    fi
    if "$tool" create --max-size 100 "$work/x.cab" in 2> /dev/null; then
        fail "a 100-byte maximum accepted"
    fi
    if (cd in && "$tool" create "$work/x.cab" ../in/licences.txt 2> /dev/null); then
        fail "a name climbing out with .. accepted"
    fi
    # A chain with its second cabinet missing fails clearly.
    mkdir -p "$work/gap"
    (cd in && "$tool" create --max-size 60000 "$work/gap/disk1.cab" .) || fail "create chain"
    rm "$work/gap/disk2.cab"
    if "$tool" extract "$work/gap/disk1.cab" "$work/gap/out" 2> "$work/err"; then
        fail "a chain without its second cabinet extracted"
    fi
    grep -q disk2.cab "$work/err" || fail "the message does not name the missing cabinet"
    # Extracting over longer existing files leaves no stale tail; read-only files are replaced.
    (cd in && "$tool" create "$work/t.cab" licences.txt "sub dir/tiny.txt") || fail "create"
    mkdir -p "$work/over/sub dir"
    head -c 100000 /dev/zero > "$work/over/sub dir/tiny.txt"
    chmod a-w "$work/over/sub dir/tiny.txt"
    "$tool" extract "$work/t.cab" "$work/over" || fail "extract over existing files"
    cmp "in/sub dir/tiny.txt" "$work/over/sub dir/tiny.txt" || fail "stale bytes survived"
    # A damaged data block: test fails naming the file, extract leaves no partial file.
    (cd in && "$tool" create --compress mszip "$work/bad.cab" licences.txt) || fail "create"
    size=$(stat -c %s "$work/bad.cab")
    printf '\377\377\377\377' | dd of="$work/bad.cab" bs=1 seek=$((size / 2)) conv=notrunc 2> /dev/null
    if "$tool" test "$work/bad.cab" > /dev/null 2> "$work/err"; then fail "a damaged cabinet passed"; fi
    grep -q licences.txt "$work/err" || fail "the message does not name the damaged file"
    if "$tool" extract "$work/bad.cab" "$work/bad" 2> /dev/null; then fail "damaged data extracted"; fi
    [ ! -e "$work/bad/licences.txt" ] || fail "a partial file was left behind"
    # Packing a folder again does not swallow the cabinet written into it the first time.
    (cd in && "$tool" create self.cab . && "$tool" create self.cab .) || fail "create self.cab"
    if "$tool" list in/self.cab | grep -q 'self\.cab$'; then fail "the cabinet packed itself"; fi
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
echo "PASS: $case_name"
