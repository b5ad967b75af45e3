#!/usr/bin/env bash
# Mobipocket books through brisleaf-thumb, as a file manager gets them, with
# and without MobiAllowFirstPic, on the native module or the DLL under Wine.
#
#   thumbnails.sh --thumb PROGRAM --plugin MODULE --tool MOBI_BOOK_TOOL
#                 [--emulator WRAPPER] (--generated | --real-book)
#
# --generated: the books mobi_book_tool writes. --real-book: the .mobi of
# Debian's debian-paketmanagement-buch, fetched once into
# ${BRISLEAF_CACHE:-/var/cache/brisleaf}/books.
set -euo pipefail
source "$(dirname "$0")/../support/thumbnail-checks.sh"

parse_thumbnail_options "$@"
module_copy default
module_copy firstpic $'[brisleaf]\r\nMobiAllowFirstPic=1\r\n'

# expect_cover BOOK ALLOW SHA256|none: the bytes the route hands to the thumbnail.
expect_cover() {
  local book=$1 allow=$2 want=$3 got status=0
  rm -f "$work/cover"
  "${emulator[@]}" "$tool" cover "$book" "$allow" "$work/cover" || status=$?
  case $status in
    0) got=$(sha256sum <"$work/cover" | cut -d' ' -f1) ;;
    1) got=none ;;
    *) got="exit $status" ;;
  esac
  check "cover bytes, fallback $allow, $(basename "$book")" "$got" "$want"
}

case $mode in
--generated)
  books=$work/books
  mkdir -p "$books"
  "${emulator[@]}" "$tool" books "$books"
  # The first picture is 150 x 300, the named cover 300 x 150.
  for setting in default firstpic; do
    for book in named-cover.mobi named-cover.azw named-cover.azw4; do
      expect $setting 128 "$books/$book" "128 64 24"
      expect $setting 40 "$books/$book" "40 20 24"
    done
    expect $setting 128 "$books/not-mobi.mobi" none
    expect $setting 128 "$books/damaged.mobi" none
  done
  for book in no-cover-record.azw3 cover-minus-one.kf8; do
    expect default 128 "$books/$book" none
    expect firstpic 128 "$books/$book" "64 128 24"
  done
  ;;
--real-book)
  # The edition whose facts are written below: it names no cover (no EXTH
  # record 201); its first picture, record 694, is an 879 x 249 JPEG of
  # 63677 bytes.
  version=0~2023.03.11
  cache=${BRISLEAF_CACHE:-/var/cache/brisleaf}/books/debian-paketmanagement-buch_$version
  book=$cache/usr/share/doc/debian-paketmanagement-buch/debian-paketmanagement.mobi
  if [[ ! -f $book ]]; then
    mkdir -p "$cache"
    (cd "$cache" && rm -f ./*.deb && apt-get download "debian-paketmanagement-buch=$version" &&
      dpkg -x ./*.deb . && rm -f ./*.deb)
  fi
  [[ -f $book ]] || { echo "FAIL  no $book after fetching the package" >&2; exit 1; }
  expect_cover "$book" 0 none
  expect_cover "$book" 1 51c50437ae9914bfa7318a62e1e8a824af4572c87150f61d0f86ad5ac2bc4128
  expect default 128 "$book" none
  expect default 96 "$book" none
  expect firstpic 128 "$book" "128 36 24"
  expect firstpic 96 "$book" "96 27 24"
  ;;
*)
  echo "thumbnails.sh: no mode (--generated or --real-book)" >&2
  exit 2
  ;;
esac
finish_checks
