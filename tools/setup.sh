#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 and builds the static JPEG library.
# Idempotent: a second run only checks and returns in seconds.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
# Outside build/, so that a clean build folder never needs the network again; CMake looks for
# the library at the same place (QL_JPEG_PREFIX in CMakeLists.txt).
cache=${QL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillandora}
jpeg_prefix=$cache/libjpeg-turbo
# wine64 only for its native wineserver: the programs themselves are 32-bit.
packages=(g++-mingw-w64-i686-posix mingw-w64-i686-dev cmake wine wine32:i386 wine64 xvfb xauth
          fonts-wine googletest imagemagick dpkg-dev python3)

die() { echo "setup: $*" >&2; exit 1; }

[ -r /etc/debian_version ] || die "this script sets up Debian 12 (bookworm); this machine is not Debian."
case $(cut -d. -f1 /etc/debian_version) in
  12|bookworm*) ;;
  *) echo "setup: warning: written for Debian 12, this is Debian $(cat /etc/debian_version)" >&2 ;;
esac

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; elif command -v sudo >/dev/null; then sudo "$@"; else die "needs root (or sudo) for: $*"; fi; }

missing() {
  local p out=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || out+=("$p")
  done
  echo "${out[@]:-}"
}

need_src=0
[ -f "$jpeg_prefix/lib/libjpeg.a" ] || need_src=1

todo=$(missing)
if [ -n "$todo" ] || [ $need_src = 1 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  # Source entries are needed once, to fetch the JPEG library's Debian source package.
  if [ $need_src = 1 ] && ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      as_root sed -i -E 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
    else
      grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | as_root tee /etc/apt/sources.list.d/ql-src.list >/dev/null
    fi
  fi
  # A mirror in the middle of a sync fails one list for a while; retry, then go on with the lists
  # that did arrive: the install below says what is still missing.
  updated=0 update_log=$(mktemp)
  for attempt in 1 2 3 4; do
    if as_root apt-get update -qq >/dev/null 2>"$update_log"; then updated=1; break; fi
    sleep $((attempt * 15))
  done
  [ $updated = 1 ] || { echo "setup: warning: some package lists could not be updated:" >&2; grep -E '^(E|W):' "$update_log" | head -n 3 >&2 || true; }
  rm -f "$update_log"
  if [ -n "$todo" ]; then
    echo "setup: installing $todo"
    # When one architecture's list of security updates did not arrive, the two halves of a
    # 32-bit library disagree on its version; the release's own lists still agree.
    install() { as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" $todo >/dev/null; }
    install || { [ $updated = 0 ] && echo "setup: retrying with the release's own package versions" >&2 && install -t bookworm; } \
      || die "could not install: $todo
  run: sudo dpkg --add-architecture i386 && sudo apt-get update && sudo apt-get install --no-install-recommends $todo"
  fi
fi

still=$(missing)
[ -z "$still" ] || die "still missing after the install: $still
  run: sudo apt-get install --no-install-recommends $still"
command -v i686-w64-mingw32-g++-posix >/dev/null || die "the MinGW-w64 cross compiler is missing; run: sudo apt-get install g++-mingw-w64-i686-posix"
command -v wine >/dev/null || die "wine is missing; run: sudo apt-get install wine wine32:i386"

if [ ! -f "$jpeg_prefix/lib/libjpeg.a" ]; then
  echo "setup: building libjpeg-turbo (static, i686)"
  src=$cache/jpeg-src
  rm -rf "$src" && mkdir -p "$src"
  (cd "$src" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1) || die "the source of libjpeg-turbo could not be fetched; deb-src entries must be enabled, then run: (cd /tmp && apt-get source libjpeg-turbo)"
  dir=$(find "$src" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n1)
  [ -n "$dir" ] || die "libjpeg-turbo source not unpacked"
  cmake -S "$dir" -B "$src/build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
        -DWITH_TURBOJPEG=OFF -DCMAKE_INSTALL_PREFIX="$jpeg_prefix" >"$src/configure.log" 2>&1 \
    || die "libjpeg-turbo configure failed, see $src/configure.log"
  cmake --build "$src/build" -j"$(nproc)" --target install >"$src/build.log" 2>&1 \
    || die "libjpeg-turbo build failed, see $src/build.log"
  rm -rf "$src"
fi
# Some kernels are built or booted without 32-bit support ("ia32_emulation=off"); 32-bit
# Wine then runs through qemu's user-mode emulator, registered for i386 ELF files.
# qemu before 8.1 searches guest memory page by page and needs a minute per Wine start,
# so the backported release is used.
runs_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
if ! runs_32bit; then
  if ! command -v qemu-i386 >/dev/null || [ "$(qemu-i386 --version | sed -nE 's/.*version ([0-9]+).*/\1/p')" -lt 8 ]; then
    echo "setup: this kernel runs no 32-bit programs; installing qemu's i386 emulator"
    if ! grep -rqs bookworm-backports /etc/apt/sources.list /etc/apt/sources.list.d/; then
      printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: bookworm-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        | as_root tee /etc/apt/sources.list.d/ql-backports.sources >/dev/null
      # A list that fails (see above) must not stop the emulator's install.
      as_root apt-get update -qq >/dev/null 2>&1 || true
    fi
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user >/dev/null \
      || die "could not install qemu-user from bookworm-backports
  run: sudo apt-get install -t bookworm-backports --no-install-recommends qemu-user"
  fi
  binfmt=/proc/sys/fs/binfmt_misc
  [ -e $binfmt/register ] || as_root mount -t binfmt_misc binfmt_misc $binfmt
  [ -e $binfmt/qemu-i386 ] && echo -1 | as_root tee $binfmt/qemu-i386 >/dev/null
  echo ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$(command -v qemu-i386)"':F' \
    | as_root tee $binfmt/register >/dev/null
  runs_32bit || die "32-bit Wine does not start, even through qemu-i386"
fi
echo "setup: ok"
