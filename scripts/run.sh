#!/usr/bin/env bash
# Installs what building and running need (not what the tests need), builds
# the programs without the tests in build-run/ (or $BUILD_DIR), and starts
# the programming tool.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
export BUILD_DIR="${BUILD_DIR:-$root/build-run}"
"$root/scripts/deps.sh" --run
"$root/scripts/build.sh" -DKM640_BUILD_TESTS=OFF
exec "$BUILD_DIR/app/km640"
