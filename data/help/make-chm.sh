#!/bin/sh
# Compiles the help into zarvik.chm: make-chm.sh CHMCMD SOURCE_DIR WORK_DIR OUTPUT
# The pages are written in UTF-8; a compiled help file is read in the Windows code page of
# its language (Russian: windows-1251), so the pages, the contents and the project are
# converted for it, and each page says so in its own charset line.
set -eu
chmcmd=$1 src=$2 work=$3 out=$4
rm -rf "$work"
mkdir -p "$work"
for f in "$src"/*.html "$src"/*.css "$src"/zarvik.hhc "$src"/zarvik.hhp; do
  name=$(basename "$f")
  sed 's/charset=utf-8/charset=windows-1251/' "$f" | iconv -f UTF-8 -t CP1251 >"$work/$name"
done
(cd "$work" && "$chmcmd" zarvik.hhp >/dev/null)
cp "$work/zarvik.chm" "$out"
