#!/usr/bin/env bash
# Installs every Debian 12 or 13 package that building, testing, packaging and running qm3270
# need; `install-deps.sh check` adds what scripts/dev.sh check needs (clang with its
# sanitizer and fuzzer runtimes, clang-tidy, clang-format, debootstrap for the Debian 13 root).
# Runs apt-get as root, or through sudo; installs nothing that is already there.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqt6sql6-sqlite
    libgl-dev libvulkan-dev
    googletest libgtest-dev libgmock-dev
    qt6-qpa-plugins qt6-translations-l10n
    fonts-arphic-ukai fonts-arphic-uming
    xvfb xauth
    poppler-utils
    dpkg-dev lintian desktop-file-utils appstream librsvg2-bin man-db
)
check_packages=(
    clang
    libclang-rt-14-dev
    llvm
    clang-tidy
    clang-format
    git
    ccache
    debootstrap
)
if [ "${1:-}" = check ]; then
    packages+=("${check_packages[@]}")
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
    as_root=(sudo)
fi
echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
