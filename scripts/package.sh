#!/usr/bin/env bash
# Installs the build dependencies that are missing, builds what the package
# holds (the programs, manual pages and icons; no tests, no benchmarks) in
# build-package/ (or $BUILD_DIR), and makes the Debian package there. With
# --install the package is installed too, as apt installs any other:
# "apt remove km640" takes it away again. Further arguments go to cmake.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
export BUILD_DIR="${BUILD_DIR:-$root/build-package}"
install=false
if [ "${1:-}" = "--install" ]; then
  install=true
  shift
fi
"$root/scripts/deps.sh" --build
"$root/scripts/build.sh" -DCMAKE_BUILD_TYPE=Release -DKM640_BUILD_TESTS=OFF "$@"
deb=$(cd "$BUILD_DIR" && cpack | sed -nE 's/^CPack: - package: (.*\.deb) generated\.$/\1/p')
[ -n "$deb" ] || { echo "cpack made no package" >&2; exit 1; }
echo "Package: $deb"
if $install; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "$deb"
fi
