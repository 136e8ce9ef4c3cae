#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given as $1 with extra cmake args after it);
# PELL_BUILD_TARGET names one target to build instead of everything.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)" ${PELL_BUILD_TARGET:+--target "$PELL_BUILD_TARGET"}
