#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, if missing.
set -euo pipefail
# postgresql: the tests start a real PostgreSQL server (initdb, pg_ctl) for the
# shared production record; libqt6sql6-*: the Qt SQL drivers of the record;
# libsqlite3-dev: SQLite itself, for bounding the check of a station's record.
packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libgtest-dev libgmock-dev
          libgl1-mesa-dev fonts-liberation libqt6sql6-sqlite libqt6sql6-psql libsqlite3-dev postgresql
          # the Debian package: icons, manual pages, and the checks of the package
          dpkg-dev librsvg2-bin groff-base lintian desktop-file-utils appstream shared-mime-info
          bash-completion)
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
