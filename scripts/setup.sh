#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, from Debian's
# packages only.  Works as root and through sudo; installs nothing that is
# already there.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-base-private-dev qt6-qpa-plugins libgl-dev zlib1g-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth fonts-dejavu-core fonts-liberation
  srecord binutils
  dpkg-dev file lintian
  libcap2-bin util-linux
  clang-format clang-tidy
  postgresql-15 libqt6sql6-psql
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
  fi
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
