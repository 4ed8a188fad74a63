#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the application need, if any is missing.
set -euo pipefail

packages=(
    # Build
    build-essential cmake ninja-build pkg-config clang-format
    # Libraries
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libgsf-1-dev libxlsxwriter-dev
    libminizip-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    # Runtime: the Qt platform plugins, Qt's SVG library (the pictures) and the fonts the windows
    # ask for
    qt6-qpa-plugins libqt6svg6 fonts-liberation fonts-dejavu-core
    # Independent readers used by the tests
    libfreexl-dev python3 python3-dbfread python3-dbf python3-xlrd python3-openpyxl pgdbf
    # The desktop's own checks of the install tree (its entry and file type)
    desktop-file-utils shared-mime-info
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = "installed" ] || missing+=("$package")
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing Debian packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
