#!/usr/bin/env bash
# The main job: builds everything, serves a freshly built release package of the stand-in
# client from the local services, and runs the real wizard (BokrinSetup.exe of the 32-bit test
# build, the architecture that ships, or of the 64-bit build where this machine cannot run
# 32-bit programs) under Wine on a virtual display: it clicks quick install with the X pointer,
# waits for the finish page, clicks the start button, checks that the stand-in client started
# with the right parameters, and prints what the installation left behind with the paths of
# the screenshots of each page. Then it installs the same package once more without a window
# (/S), as a deployment script would, and prints that run's exit code and setup log. Safe to
# run again: it installs over the previous run's installation, as a reinstallation does.
#   BOKRIN_JOBS        parallel build jobs (default: the number of processors)
#   BOKRIN_OWN_DISPLAY 1: show the wizard on the display in DISPLAY instead of a private one
#   BOKRIN_BUILD_DIR   build tree of a test build (default: build/win32-test or build/win64)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$root"

if [ "${BOKRIN_IN_TEST_ENV:-}" != 1 ]; then
  tools/setup.sh
  . tools/lib/environment.sh
  preset=$(bokrin_windows_test_preset)
  build=${BOKRIN_BUILD_DIR:-$root/build/$preset}
  echo "== building ($preset preset)"
  cmake --preset "$preset" -B "$build" >/dev/null
  if ! cmake --build "$build" -j "${BOKRIN_JOBS:-$(nproc)}" >"$build.build.log" 2>&1; then
    tail -n 40 "$build.build.log"
    echo "build failed; the whole log is $build.build.log" >&2
    exit 1
  fi
  package=$(ls -t "$build"/packages/bokrin-*.zip | head -n 1)
  echo "== serving $(basename "$package") from the local services"
  exec tools/test-env --work "$build/demo" --release-zip "$package" -- \
    env BOKRIN_BUILD_DIR="$build" "$0" "$@"
fi

build=$BOKRIN_BUILD_DIR
demo=$build/demo
. tools/lib/environment.sh
# The registry view that the build's programs see: the 32-bit one for the shipped installer.
view=$(bokrin_pe_bits "$build/engine-run.exe")
wine() { tools/wine-run "$@" </dev/null; }
unix_path() { # C:\x\y -> the file in the prefix
  local p=${1//\\//}
  echo "$BOKRIN_WINEPREFIX/drive_c/${p#C:/}"
}
reg_value() { # key value -> the REG_SZ data; empty when missing
  { wine reg query "$1" /v "$2" /reg:$view 2>/dev/null || true; } | iconv -f gbk -t utf-8 | tr -d '\r' |
    sed -n "s/^ *$2 *REG_SZ *//p"
}

echo "== installing with the wizard: BokrinSetup.exe under Wine, clicked with the X pointer"
echo "   quick install, then the start button of the finish page"
if ! python3 wizard/e2e/wizard_driver.py --build-dir "$build" --shots "$demo/screenshots" >"$demo/wizard.out"; then
  cat "$demo/wizard.out"
  echo "the installation through the wizard failed" >&2
  exit 1
fi

install_dir=$(reg_value 'HKLM\SOFTWARE\Bokrin' Bokrin)
echo "== summary"
echo "install directory:  $install_dir"
echo "files:              $(cd "$(unix_path "$install_dir")" && find . -type f | sort | tr '\n' ' ')"
for key in 'HKLM\SOFTWARE\Bokrin' 'HKCU\SOFTWARE\Bokrin'; do
  for value in Bokrin BokrinEbook BokrinAppDate BokrinPackage; do
    data=$(reg_value "$key" "$value")
    if [ -n "$data" ]; then printf '%-20s %s\n' "$key" "$value = $data"; fi
  done
done
printf '%-20s %s\n' "open command" "$(wine reg query 'HKCU\Software\Classes\Applications\Bokrin.exe\shell\open\command' /ve /reg:$view 2>/dev/null | iconv -f gbk -t utf-8 | tr -d '\r' | sed -n 's/^ *([^)]*) *REG_SZ *//p')"
for value in DisplayName DisplayVersion DisplayIcon UninstallString Publisher; do
  printf '%-20s %s\n' "uninstall entry" "$value = $(reg_value 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Bokrin' "$value")"
done
for link in "$BOKRIN_WINEPREFIX"/drive_c/users/*/Desktop/Bokrin阅读.lnk \
            "$BOKRIN_WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/'Start Menu'/Programs/Bokrin阅读.lnk; do
  if [ -f "$link" ]; then echo "shortcut:           C:/${link#"$BOKRIN_WINEPREFIX"/drive_c/}"; fi
done

cat "$demo/wizard.out"

echo "== installing again without a window: BokrinSetup.exe /S /LOG=..., over the installation above"
silent_log=$demo/silent-install.log
rm -f "$silent_log"
status=0
wine "$build/BokrinSetup.exe" /S "/LOG=Z:${silent_log//\//\\}" >/dev/null 2>&1 || status=$?
echo "exit code:          $status (0: installed)"
echo "setup log:          $silent_log"
sed 's/^/    /' "$silent_log"
if [ "$status" != 0 ]; then
  echo "the silent installation failed" >&2
  exit 1
fi
echo "== done; the prefix is $BOKRIN_WINEPREFIX"
