#!/usr/bin/env bash
# Starts the editor on a sample installation. On a fresh Debian 12 machine: installs the
# packages, builds brix and brix-sample-game, writes the demo installations once, then runs
# brix in the base edition's directory. Usage: scripts/run-editor.sh [build-dir]
#
#   demo/Sundered Crowns/   the base edition with three mods; brix's working directory, so
#                           Brix finds Dravik.exe there and writes Brix_log.txt there
#   demo/Ashen Tithe/       the expansion with its three mods
#   demo/registry.ini       the registry Brix reads (through BRIX_REGISTRY): both editions
#
# Each edition gets a directory of its own, because Brix reads every archive of an
# installation directory. Delete demo/ to have it written again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build-run}
case $build in /*) ;; *) build=$root/$build ;; esac
demo=$root/demo

./scripts/setup-debian.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRIX_TESTS=OFF
cmake --build "$build" --target brix brix-sample-game

# An edition is written into a scratch directory and renamed into place when complete, so
# that an interrupted run does not leave half an installation behind.
write_edition() {  # edition, directory name, executable
    local target=$demo/$2
    [ -f "$target/$3" ] && return 0
    rm -rf "$demo/.partial"
    "$build/tools/sample-game/brix-sample-game" --edition "$1" --out "$demo/.partial" --mods
    rm -rf "$target"
    mv "$demo/.partial" "$target"
}
mkdir -p "$demo"
write_edition dsc "Sundered Crowns" Dravik.exe
write_edition dat "Ashen Tithe" Dravik_AT.exe

# Written on every run, so that it follows the repository when it moves.
cat > "$demo/registry.ini" <<EOF
; Where Brix finds the sample installations (written by scripts/run-editor.sh).
[Software\\Quillon Studios\\Dravik]
Install Path=$demo/Sundered Crowns

[Software\\Quillon Studios\\Dravik Ashen Tithe]
Install Path=$demo/Ashen Tithe
EOF
case $demo in
*";"*) echo "run-editor: note: $demo contains ';', which starts a comment in registry.ini;" \
    "Brix will not find Ashen Tithe" >&2 ;;
esac

export BRIX_REGISTRY=$demo/registry.ini
cd "$demo/Sundered Crowns"
exec "$build/src/app/brix"
