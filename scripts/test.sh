#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Extra arguments go to cmake
# (for example -DKM640_SANITIZE=ON with BUILD_DIR=build-asan).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$@"
cd "${BUILD_DIR:-$root/build}"
ctest --output-on-failure -j "$(nproc)"
