#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the demo need.
# Idempotent: packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  mpich libmpich-dev
  libsqlite3-dev sqlite3
  unixodbc unixodbc-dev libsqliteodbc odbc-postgresql tdsodbc mdbtools odbc-mdbtools
  postgresql postgresql-client libpq-dev
  libpugixml-dev libzip-dev libfreexl-dev libgsf-1-dev
  # the LP solver of the generated model (tools/ only)
  coinor-libclp-dev
  libssl-dev
  clang libclang-rt-dev
  # the sanitizer builds' linker
  lld
  # the anchors of the benchmarks only: the evaluator's and the .xlsx reader's
  libmuparser-dev python3-openpyxl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
