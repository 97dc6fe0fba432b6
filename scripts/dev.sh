#!/usr/bin/env bash
# scripts/dev.sh run   installs what is missing, builds, starts the program
# scripts/dev.sh test  installs what is missing, builds, runs every test
# scripts/dev.sh package  installs what is missing, builds the .deb and checks it
set -euo pipefail
cd "$(dirname "$0")/.."

what=${1:-}
shift || true
case "$what" in
    run | test) ;;
    package) bash scripts/install-deps.sh && exec bash scripts/package.sh --check ;;
    *) echo "usage: scripts/dev.sh run|test|package [program arguments]" >&2; exit 1 ;;
esac

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)"

if [ "$what" = test ]; then
    ctest --test-dir build --output-on-failure --timeout 600
else
    exec build/src/app/qm3270 "$@"
fi
