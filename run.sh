#!/usr/bin/env bash
# The main job: builds everything, serves a freshly built release package of the stand-in
# client from the local services, installs it into a Wine prefix with the headless engine
# (engine-run, the install engine without the wizard) of the 32-bit test build, the
# architecture that ships (of the 64-bit build where this machine cannot run 32-bit programs),
# starts the installed client the way the finish page does, and prints what the installation
# left behind. Safe to run again: it installs over the previous run's installation, as a
# reinstallation does.
#   BOKRIN_JOBS        parallel build jobs (default: the number of processors)
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

echo "== installing with engine-run (messages of the download's progress left out)"
set +e
wine "$build/engine-run.exe" >"$demo/engine-run.out"
code=$?
set -e
# The download's own reports: the values between 100 and 800 and the size texts.
is_download_report='/^STATUS 正在下载，请稍候...\(/ || ($1 == "PROGRESS" && $2 > 100 && $2 < 800)'
awk "!($is_download_report)" "$demo/engine-run.out" | sed 's/^/   /'
echo "   (download: $(awk "$is_download_report" "$demo/engine-run.out" | grep -c '^PROGRESS') progress values, last: $(grep '^STATUS 正在下载，请稍候...(' "$demo/engine-run.out" | tail -n 1 | cut -c8-))"
if [ "$code" -ne 0 ]; then
  echo "installation failed (engine-run exit code $code)" >&2
  exit 1
fi

install_dir=$(reg_value 'HKLM\SOFTWARE\Bokrin' Bokrin)
args_file=$(unix_path "${install_dir}launch-args.txt")
rm -f "$args_file"  # left by the client of an earlier run
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

echo "== starting the installed client as the finish page does"
wine "$build/engine-run.exe" --launch >"$demo/launch.out" 2>/dev/null || true
echo "engine-run --launch: $(cat "$demo/launch.out" | tr -d '\r')"
for _ in $(seq 1 100); do [ -s "$args_file" ] && break; sleep 0.2; done
sleep 0.3
if [ -s "$args_file" ]; then
  command_line=$(cat "$args_file")
  echo "client's command line: $command_line"
  echo "client's parameters:   ${command_line#\"*\" }"
else
  echo "the client wrote no launch-args.txt" >&2
  exit 1
fi
echo "== done; the prefix is $BOKRIN_WINEPREFIX"
