#!/usr/bin/env bash
# Installs the Debian packages the build, the demo and the tests need, only those missing.
set -euo pipefail

packages=(
    cmake make g++ pkg-config clang-format dpkg-dev
    qt6-base-dev qt6-declarative-dev qt6-charts-dev libgl-dev
    libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc
    libxlsxwriter-dev unzip
    postgresql
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
