#!/usr/bin/env bash
# Installs everything the build, the program and the tests need on Debian 12.
set -euo pipefail
packages=(
  build-essential cmake ninja-build qt6-base-dev libqt6svg6 libxkbcommon-dev
  libgtest-dev libbenchmark-dev libjpeg62-turbo-dev libzstd-dev libssl-dev
  xvfb xauth xdotool imagemagick fonts-dejavu-core
  ngircd microsocks dante-server python3 clang libclang-rt-14-dev unrtf
  inspircd atheme-services znc openssl dbus rsync
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
