#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need.
# Idempotent and quiet when everything is already there.
set -euo pipefail

PACKAGES=(
  cmake ninja-build ccache g++ pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins libgl-dev
  mariadb-server mariadb-client libmariadb-dev
  unixodbc-dev odbcinst odbc-mariadb
  libcurl4-openssl-dev libc-ares-dev libzip-dev libqrencode-dev
  libxml2-dev libxmlsec1-dev libxml2-utils libxlsxwriter-dev
  libssl-dev liboping-dev clang-format
  googletest libgtest-dev libgmock-dev
  xvfb xauth fonts-dejavu-core poppler-utils zbar-tools
  python3-pyftpdlib python3-aiosmtpd dnsmasq-base python3-cryptography python3-xmlsec python3-lxml
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The server package must not start a system-wide instance: we run our own.
if [ ! -e /usr/sbin/policy-rc.d ]; then
  printf '#!/bin/sh\nexit 101\n' | $SUDO tee /usr/sbin/policy-rc.d >/dev/null
  $SUDO chmod +x /usr/sbin/policy-rc.d
  trap '$SUDO rm -f /usr/sbin/policy-rc.d' EXIT
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
