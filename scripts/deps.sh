#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12. Does nothing
# when everything is present already.
set -euo pipefail

packages=(
  build-essential cmake
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libxdo-dev
  xvfb openbox xdotool x11-utils fonts-dejavu-core fonts-liberation2 xdg-utils
  poppler-utils
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then
    sudo=(sudo)
  else
    echo "deps.sh: missing packages (${missing[*]}) and not root to install them" >&2
    exit 1
  fi
fi
echo "deps.sh: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
