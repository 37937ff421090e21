#!/usr/bin/env bash
# Sets up, builds and starts the editor (arguments go to the editor: a file to open).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh build
exec ./build/src/quorvane "$@"
