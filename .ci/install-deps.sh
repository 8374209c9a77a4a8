#!/usr/bin/env bash
# Installs the Debian packages the build and its tests need, only those that are
# missing; safe to run again. Needs root (or sudo) on a Debian machine.
set -euo pipefail
packages=(cmake ninja-build g++ make clang-format googletest libgtest-dev libbenchmark-dev libcli11-dev
          libcurl4-openssl-dev libsqlite3-dev g++-mingw-w64-i686-posix binutils-mingw-w64-i686
          wine wine32:i386 python3 pkgconf)
packages+=(clang libclang-rt-14-dev)  # fuzz/: clang with libFuzzer and its sanitizer runtimes
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then missing+=("$p"); fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then $sudo dpkg --add-architecture i386; fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
