#!/usr/bin/env bash
# Installs everything the build and the tests need, and fetches the sources of the
# libraries that the MinGW builds compile. Safe to run any number of times: every step
# checks first and does nothing when its work is already done.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
sources_dir="$root/build/third_party"

packages=(
  cmake ninja-build g++ pkg-config libgtest-dev googletest
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64 mingw-w64-tools
  libz-mingw-w64-dev zlib1g-dev libminizip-dev libcjson-dev libstb-dev
  wine wine64 xvfb xauth fonts-wqy-microhei
  iproute2 util-linux curl openssl python3 zip unzip file dpkg-dev time locales
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# apt-get source needs source entries next to the binary ones.
src_list=/etc/apt/sources.list.d/bokrin-deb-src.sources
apt_updated=no
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  as_root tee "$src_list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  as_root apt-get update -q
  apt_updated=yes
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  [ "$apt_updated" = yes ] || as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# minizip (zlib's contrib/minizip) and cJSON are compiled for MinGW from Debian's sources.
fetch_source() { # package, directory glob that marks it as unpacked
  local pkg=$1 marker=$2
  if ! compgen -G "$sources_dir/$marker" >/dev/null; then
    mkdir -p "$sources_dir"
    (cd "$sources_dir" && apt-get source -q "$pkg" >/dev/null 2>&1) || {
      as_root apt-get update -q
      (cd "$sources_dir" && apt-get source -q "$pkg")
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
