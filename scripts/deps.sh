#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12. Does nothing
# when everything is present already.
set -euo pipefail

packages=(
  build-essential cmake
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libxdo-dev libx11-dev libxcb1-dev
  xvfb openbox xdotool x11-utils fonts-dejavu-core fonts-liberation2 xdg-utils
  poppler-utils
  qt6-translations-l10n locales libc-l10n
)

# The C library's messages in German (the reasons in the tool's error
# messages) need a German locale; Debian ships it ungenerated.
german_locale() {
  locale -a 2>/dev/null | grep -qiE '^de_DE\.utf-?8$' && return
  echo "deps.sh: generating the locale de_DE.UTF-8"
  "${sudo[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8 ||
    echo "deps.sh: de_DE.UTF-8 could not be generated; the system's reasons in messages stay English" >&2
}

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then
    sudo=(sudo)
  elif [ ${#missing[@]} -ne 0 ]; then
    echo "deps.sh: missing packages (${missing[*]}) and not root to install them" >&2
    exit 1
  fi
fi
if [ ${#missing[@]} -ne 0 ]; then
  echo "deps.sh: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
german_locale
