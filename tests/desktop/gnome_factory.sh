#!/usr/bin/env bash
# gnome_factory.sh BOOKS-PROGRAM BUILD-DIR WORK-DIR
#
# Packages the build, installs the package with apt, has GNOME's thumbnail
# factory thumbnail a book of every kind through it (thumbnail_factory.py),
# then purges the package and checks that none of its files is left.
set -euo pipefail

BOOKS_PROGRAM=$1 BUILD=$2 WORK=$3
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
ENTRY=/usr/share/thumbnailers/brisleaf.thumbnailer

if [[ $(id -u) -ne 0 ]]; then
  echo "skipped: installing a package needs root"
  exit 77
fi
if [[ $(dpkg-query -W -f='${db:Status-Status}' brisleaf 2>/dev/null) == installed ]]; then
  echo "skipped: brisleaf is installed already, and this test would purge it"
  exit 77
fi
for tool in bwrap gio lintian dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing: run scripts/setup native"; exit 1; }
done

rm -rf "$WORK"
mkdir -p "$WORK"
"$BOOKS_PROGRAM" "$WORK/books"
DEB=$("$ROOT/scripts/package-deb" "$BUILD" "$WORK" | tail -n1)

purge() { apt-get purge -y -o DPkg::Lock::Timeout=600 brisleaf >/dev/null; }
trap purge EXIT
apt-get install -y -o DPkg::Lock::Timeout=600 "$DEB" >/dev/null
dpkg-query -L brisleaf > "$WORK/installed-paths"

# The content type that shared-mime-info gives each book, by its name and
# bytes, must be one the entry offers to thumbnail.
offered=$(sed -n 's/^MimeType=//p' "$ENTRY")
: > "$WORK/books.tsv"
for book in "$WORK"/books/*; do
  type=$(gio info -a standard::content-type "$book" | sed -n 's/^ *standard::content-type: //p')
  if [[ ";$offered" != *";$type;"* ]]; then
    echo "FAIL: $(basename "$book") is $type, which $ENTRY does not list"
    exit 1
  fi
  printf '%s\t%s\n' "$book" "$type" >> "$WORK/books.tsv"
done

# The factory finds thumbnailers under XDG_DATA_DIRS: there only ours, so no
# other one can answer. GSettings then needs its schemas named.
mkdir -p "$WORK/xdg/thumbnailers" "$WORK/home"
ln -s "$ENTRY" "$WORK/xdg/thumbnailers/"
env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME="$WORK/home" XDG_DATA_HOME="$WORK/home/data" \
    XDG_CACHE_HOME="$WORK/home/cache" XDG_DATA_DIRS="$WORK/xdg" GSETTINGS_BACKEND=memory \
    GSETTINGS_SCHEMA_DIR=/usr/share/glib-2.0/schemas \
    /usr/bin/python3 "$HERE/thumbnail_factory.py" "$WORK/books.tsv" "$WORK/thumbnails"

trap - EXIT
purge
left=()
while read -r path; do
  [[ $path != /. && -e $path ]] || continue
  # A folder that other packages own as well rightly stays.
  [[ -d $path ]] && dpkg-query -S "$path" >/dev/null 2>&1 && continue
  left+=("$path")
done < "$WORK/installed-paths"
if ((${#left[@]})); then
  echo "FAIL: purge left ${left[*]}"
  exit 1
fi
echo "ok: installed, a book under every name thumbnailed by GNOME's factory, purged without a trace"
