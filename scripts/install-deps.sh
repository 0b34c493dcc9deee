#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds and tests with.
# Idempotent: when every package is already installed it only asks dpkg and returns.
set -euo pipefail

packages=(
  # toolchain and test frameworks
  build-essential cmake ninja-build pkg-config git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # libraries
  qt6-base-dev qt6-webengine-dev qt6-image-formats-plugins libgl-dev
  libcurl4-openssl-dev libpugixml-dev libzip-dev zlib1g-dev
  libcdio-dev libcdio-paranoia-dev libiso9660-dev libsoxr-dev
  libavcodec-dev libavformat-dev libavutil-dev libswresample-dev
  libsqlite3-dev libcpp-httplib-dev libssl-dev
  # programs used at run time and as independent checkers in tests
  lame ffmpeg sox python3-mutagen eyed3 libtag1-dev tinyproxy-bin curl zip unzip xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "install-deps: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
