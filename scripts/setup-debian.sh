#!/usr/bin/env bash
# Installs every Debian 12 package Brix needs to build, test, benchmark and run.
# Idempotent: packages already present are left as they are.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config      # toolchain
    qt6-base-dev                          # editor windows, dialogs, settings
    fonts-dejavu-core                     # the editor's face (DejaVu Sans)
    libsdl2-dev                           # sample playback
    libcli11-dev                          # command-line parsing
    libgtest-dev libgmock-dev             # tests
    libbenchmark-dev libinih-dev zip unzip # benchmarks and the peers they compare with
    clang libclang-rt-14-dev              # fuzzers and sanitizer runtimes
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all packages present"
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "setup: missing packages (${missing[*]}); run this script as root" >&2
    exit 1
fi
echo "setup: installing ${missing[*]}"
"${as_root[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y "${missing[@]}"
