#!/usr/bin/env bash
# Installs what is needed, builds and starts the client on the desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# Only the program: the tests and benchmarks are for scripts/test.sh.
PELL_BUILD_TARGET=pell-irc bash scripts/build.sh build
exec build/src/gui/pell-irc "$@"
