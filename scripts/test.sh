#!/usr/bin/env bash
# Installs what is needed, builds, runs a short fuzz pass and then the whole test suite.
# Set PELL_SANITIZE=asan or tsan to run the suite under a sanitizer (no fuzz pass then).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
sanitize=${PELL_SANITIZE:-}
dir=build${sanitize:+-$sanitize}
extra=()
# Qt's own libraries are not built for ThreadSanitizer and would only report noise:
# the thread sanitizer runs the core (everything but the windows).
[ "$sanitize" = tsan ] && extra+=(-DPELL_GUI=OFF)
bash scripts/build.sh "$dir" -DPELL_SANITIZE="$sanitize" "${extra[@]}"
if [ -z "$sanitize" ]; then
  # Each Qt-free layer as a shared library linked with -z defs: a call into a layer that
  # is not below fails here. Libraries only, unoptimised, so it adds little to the run.
  bash scripts/build.sh build-layers -DPELL_LAYER_CHECK=ON -DCMAKE_BUILD_TYPE=None
fi
if [ -z "$sanitize" ] && [ "${PELL_SKIP_FUZZ:-0}" != 1 ]; then
  bash scripts/fuzz.sh "${PELL_FUZZ_SECONDS:-30}"
fi
cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2 --timeout 300
