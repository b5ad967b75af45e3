#!/usr/bin/env bash
# install_test.sh BUILD-DIR BOOKS-DIR: installs into a temporary prefix, then
# runs the installed thumbnailer entry as a file manager does (%s, %i, %o
# substituted) and checks the PNGs: made for books with covers, no larger
# than the asked size on either side, and none for a book without one.
set -euo pipefail
build=$1 books=$2
prefix=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$prefix" "$work"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
entry=$prefix/share/thumbnailers/brisleaf.thumbnailer
for file in "$prefix/bin/brisleaf-thumb" "$prefix/lib/brisleaf/brisleaf.so" "$entry"; do
  [[ -e $file ]] || { echo "not installed: $file" >&2; exit 1; }
done

key() { sed -n "s/^$1=//p" "$entry"; }
[[ $(sed -n 1p "$entry") == "[Thumbnailer Entry]" ]] || { echo "no [Thumbnailer Entry] group" >&2; exit 1; }
[[ $(key TryExec) == brisleaf-thumb ]] || { echo "TryExec: $(key TryExec)" >&2; exit 1; }
for mime in application/epub+zip application/x-fictionbook+xml application/x-zip-compressed-fb2 \
            application/x-mobipocket-ebook application/vnd.amazon.mobi8-ebook; do
  [[ ";$(key MimeType);" == *";$mime;"* ]] || { echo "MimeType lacks $mime" >&2; exit 1; }
done
exec_line=$(key Exec)

# PNG width and height from the IHDR chunk.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}'; }

# run BOOK SIZE: the entry's command line with the file manager's fields filled in.
run() {
  local command=${exec_line//%s/$2}
  command=${command//%i/\'$1\'}
  command=${command//%o/\'$work/out.png\'}
  rm -f "$work/out.png"
  (cd / && PATH=$prefix/bin:$PATH eval "$command")
}

status=0
for case in "epub/large.epub 256" "epub/Portrait.EPUB 128" "fb2/utf8.fb2 64" "zip/book.fbz 128" \
            "mobi/named.azw3 96" "epub/palette.epub 512"; do
  read -r book size <<<"$case"
  if ! run "$books/$book" "$size"; then
    echo "FAIL $book: no thumbnail" >&2; status=1; continue
  fi
  read -r width height < <(png_size "$work/out.png")
  if ((width < 1 || height < 1 || width > size || height > size)); then
    echo "FAIL $book: ${width}x$height for size $size" >&2; status=1
  else
    echo "ok $book: ${width}x$height within $size"
  fi
done
if run "$books/epub/nocover.epub" 128 || [[ -e $work/out.png ]]; then
  echo "FAIL a book without a cover gave a thumbnail" >&2; status=1
fi
exit $status
