#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Extra arguments go to cmake
# (for example -DKM640_SANITIZE=ON with BUILD_DIR=build-asan). The tests include
# the browser edition: ctest's web_build runs scripts/web.sh (the WebAssembly
# core in build-wasm/, the page's npm packages from web/package-lock.json) before
# web_core, web_page and web_operations run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$@"
# The npm packages of the browser port's check (ctest web_port_operations).
if [ ! -d "$root/web/port/node_modules" ] || [ "$root/web/port/package-lock.json" -nt "$root/web/port/node_modules/.package-lock.json" ]; then
  (cd "$root/web/port" && npm ci --no-audit --no-fund)
fi
cd "${BUILD_DIR:-$root/build}"
ctest --output-on-failure -j "$(nproc)"
