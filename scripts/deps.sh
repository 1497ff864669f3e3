#!/usr/bin/env bash
# Installs, with apt, whatever of the build and test dependencies is missing.
set -euo pipefail
packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n qt6-svg-dev
    fonts-ipafont-gothic
    clang libclang-rt-14-dev
    xvfb xauth poppler-utils
    desktop-file-utils appstream  # the installed_files test validates the desktop entry and metainfo
    dpkg-dev debootstrap  # scripts/check-package.sh: the package's dependencies, a minimal root
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi
