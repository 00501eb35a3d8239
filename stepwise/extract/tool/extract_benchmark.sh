#!/usr/bin/env bash
# Extraction speed of stepwise-cab against cabextract on the same cabinets, measured in one
# run, plus compressed sizes against gcab. Prints figures; it passes or fails nothing.
#   extract_benchmark.sh [STEPWISE_CAB [MEGABYTES [REPEATS]]]
# Two payloads: many files (programs and text), and the same bytes as one large file, where
# decoding outweighs creating files. With BASELINE=/path/to/an/earlier/stepwise-cab the
# earlier build is timed in the same run too ("before" rows), for before/after figures.
# Real figures come from the release build (cmake --preset release && cmake --build --preset
# release), which is the default tool; CTest runs a small smoke pass on the test build.
set -euo pipefail

default_tool="$(cd "$(dirname "$0")/../../.." && pwd)/build/release/bin/stepwise-cab"
tool_arg="${1:-$default_tool}"
[ -x "$tool_arg" ] || { echo "no stepwise-cab at $tool_arg (build the release preset)"; exit 1; }
tool="$(cd "$(dirname "$tool_arg")" && pwd)/$(basename "$tool_arg")"
baseline="${BASELINE:-}"
[ -z "$baseline" ] || baseline="$(cd "$(dirname "$baseline")" && pwd)/$(basename "$baseline")"
megabytes="${2:-30}"
repeats="${3:-3}"
for t in cabextract gcab; do
    command -v "$t" > /dev/null || { echo "SKIP: $t is not installed"; exit 77; }
done
work="$(mktemp -d "${TMPDIR:-/tmp}/cab-bench.XXXXXX")"
# Extract into memory where possible: creating a thousand files on a disk file system costs
# more kernel time than the decoding being measured, and varies from run to run.
out="$work/out"
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    out="$(mktemp -d /dev/shm/cab-bench-out.XXXXXX)"
fi
trap 'rm -rf "$work" "$out"' EXIT
cd "$work"

# Deterministic mixed input: half programs from /usr/bin, half text from /usr/share, taken in
# name order until each half reaches its share.
fill() {
    local dest="$1" budget="$2"; shift 2
    mkdir -p "$dest"
    local total=0 n=0
    while IFS= read -r f; do
        [ -r "$f" ] || continue
        size=$(stat -c %s "$f")
        [ "$size" -gt 0 ] || continue
        n=$((n + 1))
        cp "$f" "$dest/$(printf '%04d' $n)-$(basename "$f")"
        total=$((total + size))
        [ "$total" -lt "$budget" ] || break
    done < <(find "$@" -type f -size -4M 2>/dev/null | LC_ALL=C sort)
}
budget=$((megabytes * 1024 * 1024 / 2))
fill in/bin "$budget" /usr/bin /usr/lib/x86_64-linux-gnu
fill in/text "$budget" /usr/share/common-licenses /usr/share/perl /usr/share/doc /usr/include
input_bytes=$(du -sb in | cut -f1)

now() { date +%s.%N; }
# times CMD...: "wall cpu" seconds, each the best of `repeats` runs. CPU time (user + system)
# is the steadier figure on a machine shared with other work.
times_of() {
    local best_wall="" best_cpu="" line
    for _ in $(seq 1 "$repeats"); do
        rm -rf "$out"
        line=$( { TIMEFORMAT='%R %U %S'; time "$@" > /dev/null 2>&1; } 2>&1 )
        read -r best_wall best_cpu < <(awk -v l="$line" -v bw="$best_wall" -v bc="$best_cpu" 'BEGIN {
            split(l, t, " "); w = t[1]; c = t[2] + t[3];
            if (bw == "" || w < bw) bw = w; if (bc == "" || c < bc) bc = c;
            printf "%.4f %.4f\n", bw, bc }')
    done
    echo "$best_wall $best_cpu"
}

# The single large file: the same bytes, concatenated.
mkdir -p big
find in -type f | LC_ALL=C sort | xargs -d '\n' cat > big/payload.bin

printf 'input: %d files, %.1f MB\n' "$(find in -type f | wc -l)" "$(awk -v b="$input_bytes" 'BEGIN{print b/1048576}')"
declare -A size
for m in none mszip lzx:21; do
    t0=$(now)
    (cd in && "$tool" create --compress "$m" "$work/$m.cab" .)
    t1=$(now)
    size[$m]=$(stat -c %s "$work/$m.cab")
    printf 'create %-7s %10d bytes  %6.2f s\n' "$m" "${size[$m]}" "$(awk -v a="$t0" -v b="$t1" 'BEGIN{print b-a}')"
    (cd big && "$tool" create --compress "$m" "$work/big-$m.cab" .)
done
(cd in && find . -type f | LC_ALL=C sort | sed 's|^\./||' | xargs -d '\n' gcab -c -z "$work/gcab.cab")
gsize=$(stat -c %s gcab.cab)

# row LABEL TOOL_WALL TOOL_CPU CABEXTRACT_WALL CABEXTRACT_CPU TARGET
row() {
    awk -v b="$input_bytes" -v ow="$2" -v oc="$3" -v tw="$4" -v tc="$5" -v m="$1" -v target="$6" 'BEGIN {
        mb = b / 1048576;
        printf "%-15s %10.1f %12.1f %7.2fx %10.1f/s %10.1f/s %7.2fx %6.1fx %s\n", m, mb / ow, mb / tw,
               tw / ow, mb / oc, mb / tc, tc / oc, target,
               (target == "-" ? "" : tw / ow >= target ? "met" : "NOT met (wall)") }'
}

# table PREFIX: every method's cabinet PREFIX$m.cab, ours (and the baseline) against cabextract.
table() {
    echo
    printf '%-15s %10s %12s %8s %12s %12s %8s %7s\n' method "ours MB/s" "cabext MB/s" ratio \
        "ours cpu" "cabext cpu" "cpu ratio" target
    for m in none mszip lzx:21; do
        local cab="$1$m.cab" target
        case "$m" in none) target=1.0 ;; mszip) target=2.5 ;; *) target=2.0 ;; esac
        read -r their_wall their_cpu < <(times_of cabextract -q -d "$out" "$cab")
        read -r ours_wall ours_cpu < <(times_of "$tool" extract "$cab" "$out")
        row "$m" "$ours_wall" "$ours_cpu" "$their_wall" "$their_cpu" "$target"
        if [ -n "$baseline" ]; then
            read -r base_wall base_cpu < <(times_of "$baseline" extract "$cab" "$out")
            row "$m before" "$base_wall" "$base_cpu" "$their_wall" "$their_cpu" -
        fi
    done
}

echo
echo "many files:"
table ""
echo
echo "one large file:"
table big-

# A cabinet cut into 4 folders of about equal size: one decoding thread against one per
# hardware thread (the tool's default), wall and CPU time, cabextract for scale.
folders() {
    local m="$1" cab="$work/four-$m.cab"
    (cd in && "$tool" create --compress "$m" --folder-size $((input_bytes / 4 + 1)) "$cab" .)
    local count
    count=$("$tool" list "$cab" | grep -c '^Folder ')
    read -r one_wall one_cpu < <(times_of "$tool" extract --threads 1 "$cab" "$out")
    read -r par_wall par_cpu < <(times_of "$tool" extract "$cab" "$out")
    read -r their_wall their_cpu < <(times_of cabextract -q -d "$out" "$cab")
    awk -v m="$m" -v n="$count" -v ow="$one_wall" -v oc="$one_cpu" -v pw="$par_wall" \
        -v pc="$par_cpu" -v tw="$their_wall" -v tc="$their_cpu" 'BEGIN {
        printf "%-7s %d folders  1 thread %6.3f s wall %6.3f s cpu | parallel %6.3f s wall %6.3f s cpu | wall speed-up %5.2fx, cpu ratio %5.2f | parallel vs cabextract wall %5.2fx\n",
               m, n, ow, oc, pw, pc, ow / pw, pc / oc, tw / pw }'
}
echo
echo "four folders, one thread against $(nproc) hardware threads:"
for m in mszip lzx:21; do folders "$m"; done

echo
awk -v ms="${size[mszip]}" -v g="$gsize" -v l="${size[lzx:21]}" -v s="${size[none]}" 'BEGIN {
    printf "sizes: stored %d, our MSZIP %d, gcab -z %d, our LZX:21 %d\n", s, ms, g, l;
    printf "our MSZIP / gcab -z     = %.4f (target <= 1: %s)\n", ms / g, (ms <= g ? "met" : "NOT met");
    printf "our LZX:21 / our MSZIP  = %.4f (target <= 0.90: %s)\n", l / ms, (l <= 0.9 * ms ? "met" : "NOT met") }'
