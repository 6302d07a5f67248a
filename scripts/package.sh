#!/usr/bin/env bash
# Installs what is missing, builds, and makes the Debian package in build/
# (or $BUILD_DIR). With --install the package is installed too, as apt
# installs any other: "apt remove km640" takes it away again.
# Further arguments go to cmake.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
install=false
if [ "${1:-}" = "--install" ]; then
  install=true
  shift
fi
"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$@"
deb=$(cd "$build" && cpack | sed -nE 's/^CPack: - package: (.*\.deb) generated\.$/\1/p')
[ -n "$deb" ] || { echo "cpack made no package" >&2; exit 1; }
echo "Package: $deb"
if $install; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "$deb"
fi
