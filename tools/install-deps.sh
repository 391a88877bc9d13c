#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need and this machine lacks, then checks that
# every command the scripts call is there (tools/commands.txt says which package brings which command).
set -euo pipefail
packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
    pkg-config python3 openssl libssl-dev
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 libgnutls30 xvfb xauth fontconfig imagemagick python3-pil
    fonts-wine fonts-wqy-microhei fonts-liberation fonts-liberation2
    apt binutils dpkg-dev help2man lintian
)
missing=()
for p in "${packages[@]}"; do
    [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# shellcheck source=tools/require.sh
source "$(dirname "${BASH_SOURCE[0]}")/require.sh"
vela_require_all
