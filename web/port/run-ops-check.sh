#!/usr/bin/env bash
# Builds the pager operations for the browser and runs their check under node
# against km640-sim --websocket, beside km640-cli against km640-sim.
# usage: web/port/run-ops-check.sh KM640-SIM KM640-CLI OUT_DIR
# The ws package comes from web/port/package-lock.json (scripts/test.sh
# installs it with npm ci); nothing is fetched here.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
sim="$(realpath "$1")" cli="$(realpath "$2")" out="$(realpath -m "$3")"
for tool in em++ node; do
  command -v "$tool" > /dev/null || { echo "run-ops-check: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
done
[ -d "$here/node_modules/ws" ] || { echo "run-ops-check: run npm ci in $here first (scripts/test.sh does)" >&2; exit 1; }
"$here/build-ops-check.sh" "$out" > /dev/null
cd "$here"
KM640_OPS_MODULE="$out/km640-ops.js" KM640_SIM="$sim" KM640_CLI="$cli" node --test ops-check.test.mjs
