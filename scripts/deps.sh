#!/usr/bin/env bash
# Installs the Debian 12 packages that are missing.
# usage: deps.sh [--build | --run]
#   --build  only what building the programs and the Debian package needs
#            (scripts/package.sh);
#   --run    that and what the programs need to run (scripts/run.sh);
#   without either, what the tests need as well (scripts/test.sh).
set -euo pipefail
# libsqlite3-dev, libpq-dev: SQLite and PostgreSQL's client library themselves,
# for stopping a call to the record that was given up on.
# qt6-websockets-dev: km640-sim serves its board to the browser over a WebSocket.
build_packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev qt6-websockets-dev libgl1-mesa-dev libsqlite3-dev libpq-dev
                # the Debian package: icons, library dependencies (dpkg-shlibdeps, file)
                dpkg-dev file librsvg2-bin gzip)
# libqt6sql6-*: the Qt SQL drivers of the production record (a station's
# SQLite file, a line's shared PostgreSQL).
run_packages=(libqt6sql6-sqlite libqt6sql6-psql)
# libgtest-dev, libgmock-dev: the tests; postgresql: the tests start a real
# PostgreSQL server (initdb, pg_ctl) for the shared production record; the
# checks of the Debian package, with the font it depends on for U+FF1A.
test_packages=(libgtest-dev libgmock-dev fonts-liberation postgresql
               groff-base lintian desktop-file-utils appstream shared-mime-info bash-completion
               fontconfig fonts-sawarabi-gothic
               # the browser edition: its core compiled by emscripten (whose
               # tools need node-acorn), the page's npm packages, and the
               # page tested in headless Chromium; python3 serves web/dist
               emscripten node-acorn nodejs chromium python3)
packages=("${build_packages[@]}")
case "${1:-}" in
  --build) ;;
  --run) packages+=("${run_packages[@]}") ;;
  *)
    packages+=("${run_packages[@]}" "${test_packages[@]}")
    # Debian's npm, unless a node from elsewhere brought its own.
    command -v npm > /dev/null || packages+=(npm)
    ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
