#!/usr/bin/env bash
# Installs every Debian package the project needs, then configures and builds.
# Usage: scripts/setup.sh [build-dir]
#   SKIP_APT=1 skips the install step; BUILD_TYPE, CMAKE_ARGS and BUILD_TARGETS tune the build.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}

packages=(
  build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc
  libgl-dev libxkbcommon-dev fonts-dejavu-core fonts-dejavu-extra fontconfig
  libsqlite3-dev sqlite3
  unixodbc unixodbc-dev tdsodbc freetds-bin
  postgresql
  libsmbclient-dev smbclient samba samba-common-bin libfaketime iproute2 util-linux procps
  python3
)

if [ "${SKIP_APT:-0}" != 1 ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  missing=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null | grep -v ' installed$' | cut -d' ' -f1 || true)
  # dpkg-query prints nothing for packages it has never heard of
  known=$(dpkg-query -W -f='${Package}\n' "${packages[@]}" 2>/dev/null || true)
  for p in "${packages[@]}"; do grep -qx "$p" <<<"$known" || missing="$missing $p"; done
  if [ -n "${missing// /}" ]; then
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update
    $sudo apt-get install -y --no-install-recommends "${packages[@]}"
  fi
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} ${CMAKE_ARGS:-}
if [ -n "${BUILD_TARGETS:-}" ]; then
  # shellcheck disable=SC2086
  cmake --build "$build" -j"$(nproc)" --target $BUILD_TARGETS
else
  cmake --build "$build" -j"$(nproc)"
fi
