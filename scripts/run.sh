#!/usr/bin/env bash
# Installs what is missing, builds, and starts the programming tool.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
exec "${BUILD_DIR:-$root/build}/app/km640"
