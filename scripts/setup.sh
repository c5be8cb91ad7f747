#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian machine; quiet, and does nothing twice.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

tessa_usage "usage: sudo scripts/setup.sh

Installs with apt-get the Debian packages the builds and tests need (compilers, mingw-w64,
Wine, Xvfb, ImageMagick, osslsigncode, ccache, ...) and the zh_CN.UTF-8 locale Wine needs
for code page 936, then checks that the tools are there. Needs root only when something is
missing; installs nothing that is already installed." "$@"

packages=(
  cmake make g++ googletest libgtest-dev ccache
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 xvfb x11-utils xauth imagemagick fonts-wqy-zenhei locales python3 python3-markdown
  clang libclang-rt-14-dev zip unzip osslsigncode openssl
  libbenchmark-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  tessa_require_root
  echo "[setup] installing: ${missing[*]}"
  $TESSA_SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq ||
    tessa_fail "apt-get update failed (network? another apt running?)"
  $TESSA_SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null ||
    tessa_fail "apt-get could not install: ${missing[*]}"
fi

# Wine gives a program code page 936 only when the Unix locale zh_CN.UTF-8 exists.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
  tessa_require_root
  echo "[setup] generating the zh_CN.UTF-8 locale"
  $TESSA_SUDO sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $TESSA_SUDO tee -a /etc/locale.gen >/dev/null
  $TESSA_SUDO locale-gen >/dev/null
fi

tessa_require_tools cmake wine wine64 Xvfb convert x86_64-w64-mingw32-g++ clang++ osslsigncode zip python3
