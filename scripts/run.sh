#!/usr/bin/env bash
# Installs what is needed, builds and starts the client on the desktop. With --demo the
# client starts against a private local IRC server with a channel and a bot (scripts/demo.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# Only the program: the tests and benchmarks are for scripts/test.sh.
PELL_BUILD_TARGET=pell-irc bash scripts/build.sh build
if [ "${1:-}" = --demo ]; then
  shift
  exec bash scripts/demo.sh "$@"
fi
exec build/src/gui/pell-irc "$@"
