#!/usr/bin/env bash
# Builds every configuration and runs every test: the portable tests natively (plain and with
# AddressSanitizer and UBSan), then the Windows tests under Wine. Installs what is missing first.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

tools/setup.sh
jobs=$(nproc)

for preset in native native-sanitize win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" 2>&1 | grep -vE '^\[[0-9]+/[0-9]+\]' || true
  test "${PIPESTATUS[0]}" -eq 0 || { echo "build of $preset failed" >&2; exit 1; }
done

status=0
for preset in native native-sanitize win64; do
  echo "== tests: $preset"
  # The Windows tests reach their local services on the fixed ports 80 and 443, so they run
  # in a private network namespace. One Xvfb serves every test that opens a window.
  if [ "$preset" = win64 ]; then
    tools/netns-run tools/with-display ctest --preset "$preset" -j "$jobs" || status=1
  else
    ctest --preset "$preset" -j "$jobs" || status=1
  fi
done

echo "installer: $(pwd)/build/win32/BokrinSetup.exe"
exit $status
