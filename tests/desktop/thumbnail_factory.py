"""thumbnail_factory.py BOOKS.tsv OUT-DIR

Has GNOME's thumbnail factory (the one GNOME Files uses) thumbnail every book
of BOOKS.tsv (path TAB content type) at its normal and large sizes, writes the
thumbnails to OUT-DIR, and fails unless each came back with its longer side
the size the factory asked for.
"""
import os
import sys

import gi

gi.require_version("GnomeDesktop", "3.0")
gi.require_version("GdkPixbuf", "2.0")
from gi.repository import Gio, GLib, GnomeDesktop  # noqa: E402

SIZES = {128: GnomeDesktop.DesktopThumbnailSize.NORMAL, 256: GnomeDesktop.DesktopThumbnailSize.LARGE}


def main(books_tsv, out_dir):
    os.makedirs(out_dir, exist_ok=True)
    with open(books_tsv, encoding="utf-8") as lines:
        books = [line.rstrip("\n").split("\t") for line in lines]
    failures = []
    for size, size_enum in SIZES.items():
        factory = GnomeDesktop.DesktopThumbnailFactory.new(size_enum)
        for path, mime in books:
            name = os.path.basename(path)
            uri = Gio.File.new_for_path(path).get_uri()
            try:
                pixbuf = factory.generate_thumbnail(uri, mime, None)
            except GLib.Error as error:
                failures.append(f"{name} ({mime}) at {size}: {error.message}")
                continue
            width, height = pixbuf.get_width(), pixbuf.get_height()
            print(f"{name} ({mime}) at {size}: {width} x {height}")
            if max(width, height) != size:
                failures.append(f"{name} at {size}: {width} x {height}")
            pixbuf.savev(os.path.join(out_dir, f"{name}-{size}.png"), "png", [], [])
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
