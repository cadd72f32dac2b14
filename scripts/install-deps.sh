#!/usr/bin/env bash
# Installs everything the build, the tests and the viewer need on a Debian machine.
# Idempotent: does nothing when every package is present and the locale exists.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libgtest-dev libgmock-dev
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri mesa-utils
  libfreetype-dev libfontconfig-dev fonts-arphic-uming fonts-wqy-zenhei
  xvfb xauth xdotool x11-utils x11-apps imagemagick
  wine wine64
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  gcc-mingw-w64-x86-64-posix gcc-mingw-w64-i686-posix binutils-mingw-w64
  libz-mingw-w64-dev zlib1g-dev libsodium-dev openssl
  dpkg-dev locales autoconf automake libtool
  nginx-light python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  sudo_ apt-get update -qq
  sudo_ env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine derives its ANSI code page from the locale; zh_CN.UTF-8 gives code page 936. The stub's
# locale-dependent tests run a second time under en_US.UTF-8 (code page 1252).
for loc in zh_CN en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$loc\.utf-\?8\$"; then
    sudo_ sed -i "s/^# *\($loc.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen || echo "$loc.UTF-8 UTF-8" | sudo_ tee -a /etc/locale.gen >/dev/null
    sudo_ locale-gen >/dev/null
  fi
done
