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

emulator=() thumb= plugin= tool= mode=
while (($#)); do
  case $1 in
    --thumb) thumb=$2; shift 2 ;;
    --plugin) plugin=$2; shift 2 ;;
    --tool) tool=$2; shift 2 ;;
    --emulator) emulator=("$2"); shift 2 ;;
    --generated|--real-book) mode=$1; shift ;;
    *) echo "thumbnails.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
[[ -n $thumb && -n $plugin && -n $tool && -n $mode ]] || { echo "thumbnails.sh: missing arguments" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/brisleaf-mobi.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Two copies of the module: one without a settings file, one whose settings
# file (the module's name with .ini) turns the first-picture fallback on.
module_name=$(basename "$plugin")
for setting in default firstpic; do
  mkdir -p "$work/$setting"
  cp "$plugin" "$thumb" "$work/$setting/"
done
printf '[brisleaf]\r\nMobiAllowFirstPic=1\r\n' >"$work/firstpic/${module_name%.*}.ini"

failures=0
# expect SETTING BOX BOOK ANSWER: ANSWER is "WIDTH HEIGHT BITS" or "none".
expect() {
  local setting=$1 box=$2 book=$3 want=$4 got status=0
  got=$("${emulator[@]}" "$work/$setting/$(basename "$thumb")" --plugin "$work/$setting/$module_name" \
        -s "$box" --info "$book" | tr -d '\r') || status=$?
  if ((status == 1)) && [[ -z $got ]]; then
    got=none
  elif ((status != 0)); then
    got="exit $status"
  fi
  if [[ $got == "$want" ]]; then
    echo "ok    $setting -s $box $(basename "$book"): $got"
  else
    echo "FAIL  $setting -s $box $(basename "$book"): got '$got', want '$want'"
    failures=$((failures + 1))
  fi
}

# expect_cover BOOK ALLOW SHA256|none: the bytes the route hands to the thumbnail.
expect_cover() {
  local book=$1 allow=$2 want=$3 got status=0
  rm -f "$work/cover"
  "${emulator[@]}" "$tool" cover "$book" "$allow" "$work/cover" || status=$?
  if ((status == 0)); then
    got=$(sha256sum <"$work/cover" | cut -d' ' -f1)
  elif ((status == 1)); then
    got=none
  else
    got="exit $status"
  fi
  if [[ $got == "$want" ]]; then
    echo "ok    cover bytes, fallback $allow, $(basename "$book")"
  else
    echo "FAIL  cover bytes, fallback $allow, $(basename "$book"): got $got, want $want"
    failures=$((failures + 1))
  fi
}

if [[ $mode == --generated ]]; then
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
else
  # The edition whose facts are written below: it names no cover (no EXTH
  # record 201); its first picture, record 694, is an 879 x 249 JPEG of
  # 63677 bytes.
  version=0~2023.03.11
  cache=${BRISLEAF_CACHE:-/var/cache/brisleaf}/books/debian-paketmanagement-buch_$version
  book=$cache/usr/share/doc/debian-paketmanagement-buch/debian-paketmanagement.mobi
  if [[ ! -f $book ]]; then
    mkdir -p "$cache"
    (cd "$cache" && apt-get download "debian-paketmanagement-buch=$version" && dpkg -x ./*.deb . && rm -f ./*.deb)
  fi
  [[ -f $book ]] || { echo "FAIL  no $book after fetching the package" >&2; exit 1; }
  expect_cover "$book" 0 none
  expect_cover "$book" 1 51c50437ae9914bfa7318a62e1e8a824af4572c87150f61d0f86ad5ac2bc4128
  expect default 128 "$book" none
  expect default 96 "$book" none
  expect firstpic 128 "$book" "128 36 24"
  expect firstpic 96 "$book" "96 27 24"
fi

if ((failures)); then
  echo "$failures failed"
  exit 1
fi
