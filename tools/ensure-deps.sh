#!/usr/bin/env bash
# Installs what the build needs, only when missing.
# Usage: ensure-deps.sh native|windows|fuzz
set -eu
want=(g++ cmake make googletest libgtest-dev libbenchmark-dev python3
      pkg-config libcdio-dev libsndfile1-dev libtag1-dev libcairo2-dev
      libpango1.0-dev fonts-ipafont fonts-noto-cjk poppler-utils)
if [ "${1:-native}" = fuzz ]; then
  want+=(clang libclang-rt-14-dev valgrind)
fi
if [ "${1:-native}" = windows ]; then
  want+=(g++-mingw-w64-x86-64 mingw-w64-tools wine64 xvfb xauth xdotool imagemagick
         fonts-ipafont fonts-liberation locales)
fi
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  if [ "$(id -u)" != 0 ]; then echo "run as root to install packages" >&2; exit 1; fi
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi
if [ "${1:-native}" = windows ] && ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
exit 0
