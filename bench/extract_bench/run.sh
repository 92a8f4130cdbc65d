#!/usr/bin/env bash
# Extraction speed: ExtractPackage (the installer's code, under Wine) beside `unzip -o -q` on
# the same 2000-entry, 256 MiB package, each into a fresh directory, in the same run.
#   bench/extract_bench/run.sh [build directory of the win64 preset, default build/win64]
# The package is made first (not timed); both tools then read it from the page cache. Each
# tool runs three times; the best time of each goes into the ratio. The installer's time is
# the one measured inside the program around ExtractPackage, so Wine's start-up is left out;
# the whole process time under Wine is printed beside it.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build/win64}
program=$build/engine/extract_bench.exe
[ -x "$program" ] || { echo "build the extract_bench target in $build first" >&2; exit 1; }

work=$(mktemp -d /tmp/extract_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_package.py" "$work/package.zip"
echo "package: $(stat -c %s "$work/package.zip") bytes, $(unzip -Z1 "$work/package.zip" | wc -l) entries"

to_windows() { echo "Z:${1//\//\\}"; }
now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }
best() { printf '%s\n' "$@" | sort -g | head -n1; }

"$root/tools/wine-run" "$program" >/dev/null 2>&1 || true  # starts the Wine server once

installer=() installer_process=() unzip_times=()
for round in 1 2 3; do
  rm -rf "$work/install" "$work/unzip"
  start=$(now)
  out=$("$root/tools/wine-run" "$program" "$(to_windows "$work/package.zip")" "$(to_windows "$work/install")" | tr -d '\r')
  end=$(now)
  echo "$out" | grep -q '^result ok$' || { echo "ExtractPackage failed: $out" >&2; exit 1; }
  installer+=("$(echo "$out" | awk '/^extract_package_seconds/ {print $2}')")
  installer_process+=("$(calc "$end - $start")")

  start=$(now)
  unzip -o -q "$work/package.zip" -d "$work/unzip"
  end=$(now)
  unzip_times+=("$(calc "$end - $start")")
  echo "round $round: ExtractPackage ${installer[-1]} s (process under Wine ${installer_process[-1]} s), unzip ${unzip_times[-1]} s"
done

diff -rq "$work/install" "$work/unzip" >/dev/null && echo "both trees are identical"
best_installer=$(best "${installer[@]}")
best_unzip=$(best "${unzip_times[@]}")
printf 'best: ExtractPackage %.3f s, unzip %.3f s, ratio %.2f\n' \
  "$best_installer" "$best_unzip" "$(calc "$best_installer / $best_unzip")"
