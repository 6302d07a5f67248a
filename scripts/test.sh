#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Extra arguments go to cmake
# (for example -DKM640_SANITIZE=ON with BUILD_DIR=build-asan). The tests include
# the browser edition: ctest's web_build runs scripts/web.sh (the WebAssembly
# core in build-wasm/, the page's npm packages from web/package-lock.json) before
# web_core and web_page run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$@"
cd "${BUILD_DIR:-$root/build}"
ctest --output-on-failure -j "$(nproc)"
