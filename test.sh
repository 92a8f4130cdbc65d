#!/usr/bin/env bash
# Builds every configuration and runs every test: the portable tests natively (plain and with
# AddressSanitizer and UBSan), then every Windows test under Wine on the 32-bit test build, the
# architecture that ships, or on the 64-bit build where this machine cannot run 32-bit programs,
# then a short run of every fuzz target.
# Installs what is missing first, so it also sets up a fresh machine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

tools/setup.sh
. tools/lib/environment.sh
jobs=$(nproc)
windows_tests=$(bokrin_windows_test_preset)

build() { # preset [target]
  local preset=$1 log=build/$1.build.log
  echo "== build: $preset${2:+ ($2)}"
  cmake --preset "$preset" >/dev/null
  if ! cmake --build --preset "$preset" -j "$jobs" ${2:+--target "$2"} >"$log" 2>&1; then
    cat "$log"
    echo "build of $preset failed" >&2
    exit 1
  fi
}
build native
build native-sanitize
build win32-test
build win32
# The 64-bit build is built where its tests run in place of the 32-bit ones; elsewhere it would
# only lengthen the run.
[ "$windows_tests" = win32-test ] || build win64
tools/check-installer build/win32/BokrinSetup.exe

status=0
passed=0
failed=0
test_presets=(native native-sanitize "$windows_tests")
for preset in "${test_presets[@]}"; do
  echo "== tests: $preset"
  log=build/$preset.test.log
  # The Windows tests reach their local services on the fixed ports 80 and 443, so they run
  # in a private network namespace; one Xvfb serves every test that opens a window.
  if [ "$preset" = "$windows_tests" ]; then
    runner=(tools/netns-run tools/with-display)
  else
    runner=()
  fi
  "${runner[@]}" ctest --preset "$preset" -j "$jobs" 2>&1 | tee "$log" || status=1
  summary=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1) || status=1
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$summary")
  passed=$((passed + ${total:-0} - ${bad:-0}))
  failed=$((failed + ${bad:-0}))
done

# Every parser of network replies and package contents under the fuzzer for a few seconds.
echo "== fuzz: smoke"
if tools/fuzz smoke 2>&1 | tee build/fuzz.smoke.log; then
  fuzz_result=passed
else
  fuzz_result=failed
  status=1
fi

echo "installer: $(pwd)/build/win32/BokrinSetup.exe"
for preset in "${test_presets[@]}"; do
  echo "$preset: $(grep -E 'tests passed, [0-9]+ tests failed out of' "build/$preset.test.log" | tail -n 1)"
done
echo "fuzz smoke: $fuzz_result"
echo "total: $passed passed, $failed failed"
[ "$failed" -eq 0 ] || status=1
exit $status
