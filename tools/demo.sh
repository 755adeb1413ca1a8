#!/usr/bin/env bash
# Plans the sample discs with ztp-plan and shows the index cards (the files
# themselves stay code page 932).
set -eu
plan=${1:-build/native/cli/ztp-plan}
out=build/demo
mkdir -p "$out"
show() {
  local name=$1; shift
  echo "=== ztp-plan $* -> $out/$name.ztp"
  "$plan" --out "$out/$name.ztp" "$@"
  iconv -f CP932 -t UTF-8 "$out/$name.ztp" | tr -d '\r'
  echo
}
show albums-equal samples/albums.disc
show albums-c90-a --mode a --tape 90 samples/albums.disc
show changer-c46-b --mode b --tape 46 samples/changer.disc
"$plan" --card "$out/albums-card.pdf" samples/albums.disc >/dev/null
echo "=== ztp-plan --card $out/albums-card.pdf samples/albums.disc (the printable J-card)"
