#!/usr/bin/env bash
# Installs the Debian packages the program and its tests need, when missing.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev libcurl4-openssl-dev fonts-liberation
          libgtest-dev libgmock-dev libbenchmark-dev python3-pyftpdlib xvfb xauth
          poppler-utils btrfs-progs exfatprogs exfat-fuse libcups2-dev cups
          printer-driver-cups-pdf qt6-l10n-tools shared-mime-info)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
