# Shared by the scripts of tools/ that bring up what the Windows tests run in: a private network
# namespace, a virtual display and the Wine environment. Sourced, never run.

bokrin_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Re-runs the calling script in a private network namespace with loopback up, where the fixed
# ports 80 and 443 are free and nothing reaches the host's network; returns at once when the
# caller already runs in one.
#   bokrin_enter_netns "$0" "$@"
bokrin_enter_netns() {
  if [ "${BOKRIN_IN_NETNS:-}" = 1 ]; then
    ip link set lo up
    return 0
  fi
  export BOKRIN_IN_NETNS=1
  # root needs no user namespace, and none can be made inside a chroot.
  if [ "$(id -u)" -eq 0 ]; then
    exec unshare --net "$@"
  fi
  exec unshare --net --map-root-user "$@"
}

# Runs a command with a private Xvfb display that all of its children share; BOKRIN_SCREEN
# (WIDTHxHEIGHT) sizes its screen.
bokrin_run_with_display() {
  xvfb-run -a -s "-screen 0 ${BOKRIN_SCREEN:-1280x1024}x24 -nolisten tcp" "$@"
}

# Wine's 32-bit loader starts 32-bit and 64-bit programs alike. It cannot run where wine32 is
# missing or the kernel runs no 32-bit programs; the 64-bit loader then starts 64-bit ones.
bokrin_can_run_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}
if bokrin_can_run_32bit; then
  bokrin_wine=/usr/lib/wine/wine
else
  bokrin_wine=/usr/lib/wine/wine64
fi

# The build whose Windows tests run: the 32-bit one, the architecture that ships, wherever Wine
# can run it; otherwise the 64-bit build of the same sources.
bokrin_windows_test_preset() {
  if bokrin_can_run_32bit; then echo win32-test; else echo win64; fi
}

# The Wine environment of the tests: the given prefix, no debug output, a Chinese locale so
# that the ANSI code page is 936, and no Mono or Gecko installers at prefix creation.
bokrin_wine_environment() { # prefix
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
}

# Makes the prefix of bokrin_wine_environment once, even when ctest runs tests in parallel: a
# 64-bit prefix with the 32-bit half beside it (WoW64), as a 64-bit Windows where the 32-bit
# installer runs, a CJK font in place of the skin's faces, which this machine lacks, and no
# crash dialog. The
# prefix trusts the local services' private test root, with trust-test-root.exe of the given
# build (a build without it leaves the prefix as it is, to be done by a later run).
bokrin_prepare_prefix() { # build directory
  local build_dir=$1
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.bokrin-ready" ]; then
      WINEARCH=win64 "$bokrin_wine" wineboot -i >/dev/null 2>&1 || true
      wineserver -w 2>/dev/null || true
      for face in 'Microsoft YaHei' '微软雅黑' 'SimSun' '宋体' 'Tahoma' 'MS Shell Dlg' 'MS Shell Dlg 2'; do
        "$bokrin_wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true
      done
      # A program that crashes ends with its exception code and a backtrace on standard error,
      # instead of waiting for someone to close Wine's crash dialog.
      "$bokrin_wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
      touch "$WINEPREFIX/.bokrin-ready"
    fi
    local root=${BOKRIN_TEST_ROOT_DIR:-$bokrin_root/build/test-root}/root.der stamp
    [ -f "$root" ] || root=$("$bokrin_root/tools/services/bokrin-services" test-root)
    stamp="$WINEPREFIX/.bokrin-root-$(sha1sum <"$root" | cut -c1-16)"
    if [ ! -f "$stamp" ] && [ -f "$build_dir/trust-test-root.exe" ]; then
      "$bokrin_wine" "$build_dir/trust-test-root.exe" "Z:${root//\//\\}" && touch "$stamp"
    fi
  ) 9>"$WINEPREFIX.lock"
}

# 32 or 64: the architecture of a Windows program, from the machine field of its PE header.
bokrin_pe_bits() { # program
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  case $(od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' ') in
    014c) echo 32 ;;
    8664) echo 64 ;;
    *) echo "not a 32-bit or 64-bit x86 program: $1" >&2; return 1 ;;
  esac
}
