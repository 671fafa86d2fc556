#!/usr/bin/env bash
# Installs the Debian packages that are missing, as root (or through sudo when available).
#   install-deps.sh         what building and testing need
#   install-deps.sh run     that, and what starting the desktop program needs (Japanese font, Xvfb)
#   install-deps.sh fuzz    that, and clang with libFuzzer (only `make fuzz` needs them)
set -euo pipefail

packages=(
    cmake g++ ninja-build pkgconf make python3
    libgtest-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
    qt6-base-dev qt6-qpa-plugins qt6-svg-dev fonts-dejavu-core libfftw3-dev
    poppler-utils
)
if [ "${1:-}" = run ]; then
    packages+=(fonts-ipafont-gothic xvfb xauth)
fi
if [ "${1:-}" = fuzz ]; then
    packages+=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    apt=(apt-get)
elif command -v sudo >/dev/null 2>&1; then
    apt=(sudo apt-get)
else
    echo "These Debian packages are missing and I am not root: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
