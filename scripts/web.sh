#!/usr/bin/env bash
# Builds the browser edition into web/dist/: the editor's core compiled to
# WebAssembly from the same sources as the desktop (in its own build folder,
# build-wasm, so the desktop build stays as it is), the pager operations
# (link/ and pager/ over the browser's port, web/port, in build-wasm/ops), the
# page bundled from web/src with the npm packages of web/package-lock.json,
# and the static files.
#
#   web.sh            build web/dist/
#   web.sh --serve    build, then serve web/dist/ on http://127.0.0.1:8640/
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${WASM_BUILD_DIR:-$root/build-wasm}"
dist="$root/web/dist"
# Debian's emscripten runs its JavaScript tools with the node on the PATH,
# which must find Debian's own node modules (acorn).
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

if [ ! -f "$build/build.ninja" ]; then
  emcmake cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
fi
cmake --build "$build" --target km640-core
"$root/web/port/build-ops-check.sh" "$build/ops" > /dev/null

cd "$root/web"
if [ ! -d node_modules ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  npm ci --no-audit --no-fund
fi
npx tsc --noEmit -p .
rm -rf "$dist"
mkdir -p "$dist"
npx esbuild src/main.ts --bundle --minify --format=iife --target=es2020 --outfile="$dist/app.js" --log-level=warning
cp static/index.html static/style.css static/manifest.webmanifest "$dist/"
cp "$root/packaging/km640.svg" "$dist/"
cp "$build/web/km640-core.js" "$build/web/km640-core.wasm" "$build/ops/km640-ops.js" "$build/ops/km640-ops.wasm" "$dist/"
# The service worker's cache is named after what it caches.
stamp="$(cat "$dist"/* | sha256sum | cut -c1-16)"
sed "s/@BUILD@/$stamp/" static/sw.js > "$dist/sw.js"
echo "web/dist: $(ls "$dist" | tr '\n' ' ')"

if [ "${1:-}" = "--serve" ]; then
  echo "Serving on http://127.0.0.1:8640/ (Ctrl-C stops)"
  exec python3 -m http.server 8640 --bind 127.0.0.1 --directory "$dist"
fi
