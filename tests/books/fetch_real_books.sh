#!/usr/bin/env bash
# fetch_real_books.sh DIR: real books from Debian's documentation packages,
# downloaded once and unpacked into DIR (kept between runs).
set -euo pipefail
dir=$1
packages=(debian-history debian-policy developers-reference debian-paketmanagement-buch fbreader)
mkdir -p "$dir"
cd "$dir"
stamp=.unpacked-$(printf '%s\n' "${packages[@]}" | sha1sum | cut -c1-12)
[[ -f $stamp ]] && exit 0
rm -rf debs root
mkdir -p debs root
(cd debs && apt-get download "${packages[@]}" >/dev/null 2>&1) || {
  # The package lists may be missing on a machine that was never updated.
  apt-get -o DPkg::Lock::Timeout=600 update >/dev/null 2>&1 || true
  (cd debs && apt-get download "${packages[@]}" >/dev/null)
}
for deb in debs/*.deb; do dpkg -x "$deb" root; done
touch "$stamp"
