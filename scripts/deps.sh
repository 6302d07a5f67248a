#!/usr/bin/env bash
# Installs the Debian 12 packages that are missing.
# usage: deps.sh [--build]
#   --build  only what building the programs and the Debian package needs
#            (scripts/package.sh); without it, what the tests need as well.
set -euo pipefail
# libsqlite3-dev, libpq-dev: SQLite and PostgreSQL's client library themselves,
# for stopping a call to the record that was given up on.
build_packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libgl1-mesa-dev libsqlite3-dev libpq-dev
                # the Debian package: icons, library dependencies (dpkg-shlibdeps, file)
                dpkg-dev file librsvg2-bin gzip)
# libgtest-dev, libgmock-dev: the tests; postgresql: the tests start a real
# PostgreSQL server (initdb, pg_ctl) for the shared production record;
# libqt6sql6-*: the Qt SQL drivers of the record; the checks of the Debian
# package, with the font it depends on for U+FF1A.
test_packages=(libgtest-dev libgmock-dev fonts-liberation libqt6sql6-sqlite libqt6sql6-psql postgresql
               groff-base lintian desktop-file-utils appstream shared-mime-info bash-completion
               fontconfig fonts-sawarabi-gothic)
packages=("${build_packages[@]}")
[ "${1:-}" = "--build" ] || packages+=("${test_packages[@]}")
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
