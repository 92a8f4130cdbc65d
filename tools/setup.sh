#!/usr/bin/env bash
# Installs everything the build and the tests need, and fetches the sources of the
# libraries that the MinGW builds compile. Safe to run any number of times: every step
# checks first and does nothing when its work is already done.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
sources_dir="$root/build/third_party"

packages=(
  cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev googletest
  clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-posix binutils-mingw-w64 mingw-w64-tools
  libz-mingw-w64-dev zlib1g-dev libminizip-dev libcjson-dev libstb-dev
  wine wine64 xvfb xauth fonts-wqy-microhei fontconfig xdotool imagemagick
  iproute2 util-linux curl openssl python3 python3-pil zip unzip file dpkg-dev time locales debootstrap
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
apt_updated=no
apt_update() { as_root apt-get update -q; apt_updated=yes; }

# apt-get source needs source entries. They are made from the machine's own binary entries for
# its Debian release, so that a machine with a mirror keeps using its mirror.
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
deb822_sources() { # the deb822 stanzas of this release, as deb-src
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && [ "$(basename "$f")" != bokrin-deb-src.sources ] || continue
    awk -v release="$codename" '
      function flush() {
        if (is_deb && ours) { printf "%sTypes: deb-src\n%s\n", sep, body; sep = "\n" }
        body = ""; is_deb = 0; ours = 0
      }
      /^[ \t]*$/ { flush(); next }
      /^#/ { next }
      /^Types:/ { if ($0 ~ /[ \t]deb([ \t]|$)/) is_deb = 1; next }
      /^Architectures:/ { next }
      /^Suites:/ { for (i = 2; i <= NF; i++) if ($i ~ ("^" release "([-/]|$)")) ours = 1 }
      { body = body (body == "" ? "" : "\n") $0 }
      END { flush() }' "$f"
  done
}
one_line_sources() { # the one-line entries of this release, as deb-src
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && [ "$(basename "$f")" != bokrin-deb-src.list ] || continue
    awk -v release="$codename" '
      $1 == "deb" {
        i = 2; if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
        if ($(i + 1) ~ ("^" release "([-/]|$)")) { $1 = "deb-src"; print }
      }' "$f"
  done
}
sync_source_list() { # file, wanted content
  local file=$1 wanted=$2
  if [ -z "$wanted" ]; then
    [ ! -e "$file" ] || { as_root rm -f "$file"; apt_updated=stale; }
  elif [ "$(cat "$file" 2>/dev/null)" != "$wanted" ]; then
    printf '%s\n' "$wanted" | as_root tee "$file" >/dev/null
    apt_updated=stale
  fi
}
sync_source_list /etc/apt/sources.list.d/bokrin-deb-src.sources "$(deb822_sources)"
sync_source_list /etc/apt/sources.list.d/bokrin-deb-src.list "$(one_line_sources)"

# Wine's 32-bit half runs the 32-bit test build, the architecture that ships, where the kernel
# can run 32-bit Linux programs at all (some virtual machines' kernels cannot).
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  apt_updated=stale
fi
[ "$apt_updated" != stale ] || apt_update
if ! dpkg-query -W -f='${Status}' libc6:i386 2>/dev/null | grep -q 'install ok installed'; then
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends libc6:i386
fi
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  packages+=(wine32:i386)
else
  echo "setup: this kernel cannot run 32-bit programs; the Windows tests run on the 64-bit build" >&2
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  [ "$apt_updated" = yes ] || apt_update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# minizip (zlib's contrib/minizip) and cJSON are compiled for MinGW from Debian's sources.
fetch_source() { # package, directory glob that marks it as unpacked
  local pkg=$1 marker=$2
  if ! compgen -G "$sources_dir/$marker" >/dev/null; then
    mkdir -p "$sources_dir"
    # A mirror may lack the newest update's sources; the release's own version then serves.
    get_source() { (cd "$sources_dir" && apt-get source -q "$@" >/dev/null 2>&1); }
    get_source "$pkg" || get_source "$pkg/$codename" || {
      apt_update
      get_source "$pkg" || (cd "$sources_dir" && apt-get source -q "$pkg/$codename")
    }
  fi
}
fetch_source zlib 'zlib-*/contrib/minizip/unzip.c'
fetch_source cjson 'cjson-*/cJSON.c'

# Wine takes its ANSI code page from the locale: zh_CN.UTF-8 gives 936, as on a Chinese Windows.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  as_root sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
