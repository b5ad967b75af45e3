#!/usr/bin/env bash
# FictionBook books, plain and zipped, through brisleaf-thumb as a file
# manager gets them, on the native module or the DLL under Wine.
#
#   thumbnails.sh --thumb PROGRAM --plugin MODULE --tool FB2_BOOK_TOOL
#                 [--emulator WRAPPER] (--generated | --real-books)
#
# --generated: the books fb2_book_tool writes, with and without
# RestrictToFB2ZIP. --real-books: the FictionBook help files of Debian's
# fbreader package, fetched once into ${BRISLEAF_CACHE:-/var/cache/brisleaf}/books:
# none has a cover, some are not well-formed (an undeclared entity), some
# start with a UTF-8 byte-order mark; each must end in no preview, quickly.
set -euo pipefail
source "$(dirname "$0")/../support/thumbnail-checks.sh"
parse_thumbnail_options "$@"

# Two copies of the module: one without a settings file, one whose settings
# file restricts ".zip" to names ending in fb2.zip.
module_copy default
module_copy restricted $'[brisleaf]\r\nRestrictToFB2ZIP=1\r\n'

if [[ $mode == --generated ]]; then
  books=$work/books
  mkdir -p "$books"
  "${emulator[@]}" "$tool" books "$books"
  # The JPEG covers are 300 x 150, the PNG covers 150 x 300.
  for setting in default restricted; do
    for book in jpeg-utf8.fb2 jpeg-utf8-bom.fb2 jpeg-utf16le.fb2 jpeg-utf8.fbz jpeg-utf16le.zfb2; do
      expect $setting 128 "$books/$book" "128 64 24"
    done
    for book in png-cp1251.fb2 png-utf16be.fb2 png-utf8.txt png-cp1251.fb2z png-utf8.fb2.zip; do
      expect $setting 128 "$books/$book" "64 128 24"
    done
    expect $setting 40 "$books/png-utf8.fb2.zip" "20 40 24"
    for book in no-cover.fb2 not-well-formed.fb2 not-a-zip.fbz; do
      expect $setting 128 "$books/$book" none
    done
  done
  expect default 128 "$books/png-utf8.zip" "64 128 24"
  expect restricted 128 "$books/png-utf8.zip" none
else
  cache=${BRISLEAF_CACHE:-/var/cache/brisleaf}/books/fbreader
  if ! compgen -G "$cache/usr/share/FBReader/help/*.fb2" >/dev/null; then
    mkdir -p "$cache"
    (cd "$cache" && rm -f ./*.deb && apt-get download fbreader && dpkg -x ./*.deb . && rm -f ./*.deb)
  fi
  count=0
  for book in "$cache"/usr/share/FBReader/help/*.fb2; do
    expect default 96 "$book" none
    count=$((count + 1))
  done
  check "FictionBook files in the fbreader package" "$((count > 0))" 1
fi

finish_checks
