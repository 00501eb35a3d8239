#!/usr/bin/env bash
# Formatting of the tracked C++ files with the committed .clang-format.
#   tools/format.sh --check   lists every file clang-format would change; fails when any
#   tools/format.sh --fix     formats those files in place
# Exits 77 (CTest's skip code here) when clang-format is not installed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

mode="${1:---check}"
case "$mode" in
    --check | --fix) ;;
    *)
        echo "usage: $0 --check | --fix" >&2
        exit 2
        ;;
esac

format="${CLANG_FORMAT:-clang-format}"
if ! command -v "$format" >/dev/null 2>&1; then
    echo "$format not found" >&2
    exit 77
fi

# Tracked files only: build trees and generated sources stay out.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files -- '*.cpp' '*.h' '*.cc' '*.hpp')
else
    mapfile -t files < <(find common portlight stepwise tests \( -name '*.cpp' -o -name '*.h' \) | sort)
fi

# One clang-format run over all files; each violation names its file.
mapfile -t unformatted < <("$format" --dry-run --Werror "${files[@]}" 2>&1 |
    sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)

if [ "$mode" = --fix ]; then
    for f in "${unformatted[@]}"; do
        "$format" -i "$f"
        echo "formatted $f"
    done
    exit 0
fi

if [ ${#unformatted[@]} -gt 0 ]; then
    printf '%s\n' "${unformatted[@]}"
    echo "${#unformatted[@]} file(s) need clang-format: run tools/format.sh --fix" >&2
    exit 1
fi
echo "all ${#files[@]} C++ files formatted"
