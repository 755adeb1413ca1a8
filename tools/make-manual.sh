#!/usr/bin/env bash
# Converts the manual from UTF-8 with LF to code page 932 with CR LF.
#   tools/make-manual.sh SOURCE.txt.in OUTPUT.txt
set -eu
sed 's/\r$//; s/$/\r/' "${1:?source}" | iconv -f UTF-8 -t CP932 >"${2:?output}.tmp"
mv "${2}.tmp" "$2"
