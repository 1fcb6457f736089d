#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the game need, once: nothing
# happens when they are all present. Run as root (or with sudo available).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config binutils
  libgtest-dev libgmock-dev
  libsdl2-dev libegl-dev libgles-dev libegl-mesa0 libgl1-mesa-dri libglx-dev libx11-dev libxtst-dev
  zlib1g-dev libpng-dev libjpeg62-turbo-dev liblua5.1-0-dev
  libmpg123-dev lame
  libfreetype-dev fonts-dejavu-core librsvg2-bin
  clang libclang-rt-14-dev lld
  xvfb xauth
  imagemagick
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
