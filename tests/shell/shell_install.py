#!/usr/bin/env python3
"""With --setup: installs brisleaf-setup.exe silently in a fresh 64-bit Wine prefix, asks the
installed Explorer handler for thumbnails through brisleaf-shellthumb.exe as
Explorer would, and uninstalls it silently.

Each book with a cover must give the picture the native build gives for the
same box and the handler's settings (the fallbacks and the first Mobipocket
picture on), compared colour by colour; a book without a cover and a damaged
one must give none (exit 1). After the uninstall, no file of the install and
no registry key or value that it wrote may be left.

With --register DLL instead (the 32-bit handler, in the Wine that runs 32-bit
programs): registers the handler with regsvr32, asks it for the EPUB book's
thumbnail, and unregisters it again.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "books"))
from run_books import picture_of  # noqa: E402

CLSID = "{150498D6-B48C-4AC6-9930-C3280E5D8C0E}"
HANDLER = "{e357fccd-a995-4576-b01f-234630154e96}"
EXTENSIONS = [".epub", ".fb2", ".fbz", ".fb2z", ".zfb2", ".mobi", ".azw", ".azw3", ".azw4", ".kf8"]
INSTALLED = ["brisleaf.dll", "brisleaf64.dll", "brisleaf-shell.dll", "x86/brisleaf-shell.dll", "uninstall.exe"]
SIZE = "96"
# (book under the native books folder, whether it has a cover)
BOOKS = [
    ("epub/large.epub", True),
    ("fb2/utf8.fb2", True),
    ("zip/book.fbz", True),
    ("mobi/named.mobi", True),
    ("mobi/named.azw3", True),
    ("fb2/nocover.fb2", False),
    ("bad/text.epub", False),
]


def colours(path):
    """(width, height, the colour of every pixel) of a BMP, whatever its depth."""
    width, height, bits, data = picture_of(path)
    if bits <= 8:
        return width, height, data
    step = bits // 8
    return width, height, [row[x:x + 3] for row in data for x in range(0, width * step, step)]


def compare_books(args, books, ask):
    """Failures of the handler (ask(book, out) -> exit status) against the native build."""
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        # The native module with the handler's settings.
        plugin = os.path.join(scratch, os.path.basename(args.native_plugin))
        shutil.copy(args.native_plugin, plugin)
        with open(os.path.splitext(plugin)[0] + ".ini", "w", encoding="utf-8") as ini:
            ini.write("[brisleaf]\nCoverFallbacks=1\nMobiAllowFirstPic=1\n")
        for number, (book, has_cover) in enumerate(books):
            path = os.path.join(args.books, book)
            native_out = os.path.join(scratch, "%d-native.bmp" % number)
            shell_out = os.path.join(scratch, "%d-shell.bmp" % number)
            native = subprocess.run([args.native_thumb, "-s", SIZE, "--plugin", plugin, path, native_out],
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
            shell = ask(path, shell_out)
            expected = 0 if has_cover else 1
            if native.returncode != expected:
                failures.append("%s: native build exits %d, expected %d" % (book, native.returncode, expected))
            elif shell.returncode != expected:
                failures.append("%s: exit %d, expected %d: %s%s" % (
                    book, shell.returncode, expected, shell.stdout.decode(errors="replace"),
                    shell.stderr.decode(errors="replace")))
            elif has_cover and colours(shell_out) != colours(native_out):
                failures.append("%s: the handler's picture differs from the native build's" % book)
    return failures


def register_and_ask(args):
    def wine(*command):
        return subprocess.run([args.wine_run] + list(command), stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600)

    # "regsvr32" by name: wine-run takes a program it cannot read as 32-bit.
    # The module by its Windows name, which is what the registry will hold.
    module = "Z:" + os.path.abspath(args.register).replace("/", "\\")
    registered = wine("regsvr32", "/s", module)
    if registered.returncode != 0:
        print("FAIL regsvr32: exit %d" % registered.returncode)
        return 1
    try:
        failures = compare_books(args, BOOKS[:1], lambda path, out: wine(args.shellthumb, "-s", SIZE, path, out))
    finally:
        unregistered = wine("regsvr32", "/s", "/u", module)
    if unregistered.returncode != 0:
        failures.append("regsvr32 /u: exit %d" % unregistered.returncode)
    for failure in failures:
        print("FAIL " + failure)
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser()
    action = parser.add_mutually_exclusive_group(required=True)
    action.add_argument("--setup", help="the installer, run in a fresh --prefix")
    action.add_argument("--register", help="a handler to register where wine-run runs it")
    parser.add_argument("--shellthumb", required=True)
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--prefix", help="made afresh for --setup")
    parser.add_argument("--books", required=True, help="the native build's books")
    parser.add_argument("--native-thumb", required=True)
    parser.add_argument("--native-plugin", required=True)
    args = parser.parse_args()

    if args.register:
        return register_and_ask(args)
    shutil.rmtree(args.prefix, ignore_errors=True)
    env = dict(os.environ, BRISLEAF_WINEPREFIX64=args.prefix)
    system32 = os.path.join(args.prefix, "drive_c", "windows", "system32")
    failures = []

    def wine(*command):
        return subprocess.run([args.wine_run] + list(command), env=env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)

    def reg_has(key, value=None):
        # reg.exe by its path, so that wine-run sees a 64-bit program.
        query = [os.path.join(system32, "reg.exe"), "query", key] + (["/v", value] if value else [])
        return wine(*query).returncode == 0

    start = time.monotonic()
    try:
        # A 64-bit program makes the prefix (a usage error); then extensions
        # the prefix knows already keep their keys.
        wine(args.shellthumb)
        known = [extension for extension in EXTENSIONS if reg_has("HKCR\\" + extension)]
        install = wine(args.setup, "/S")
        if install.returncode != 0:
            print("FAIL install: exit %d %s" % (install.returncode, install.stderr.decode(errors="replace")))
            return 1
        folder = os.path.join(args.prefix, "drive_c", "Program Files", "brisleaf")
        for name in INSTALLED:
            if not os.path.isfile(os.path.join(folder, name)):
                failures.append("not installed: " + name)
        for key in ["HKCR\\CLSID\\%s\\InprocServer32" % CLSID,
                    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\brisleaf"] + [
                    "HKCR\\%s\\ShellEx\\%s" % (extension, HANDLER) for extension in EXTENSIONS]:
            if not reg_has(key):
                failures.append("not registered: " + key)

        failures += compare_books(args, BOOKS, lambda path, out: wine(args.shellthumb, "-s", SIZE, path, out))

        uninstall = wine(os.path.join(folder, "uninstall.exe"), "/S")
        if uninstall.returncode != 0:
            failures.append("uninstall: exit %d" % uninstall.returncode)
        # The uninstaller runs on from a copy of itself: wait for it, by tries.
        for _ in range(100):
            if not os.path.exists(folder):
                break
            time.sleep(0.2)
        if os.path.exists(folder):
            failures.append("left behind: %s" % sorted(os.listdir(folder)))
        left = ["HKCR\\CLSID\\%s" % CLSID,
                "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\brisleaf"] + [
               "HKCR\\%s" % extension for extension in EXTENSIONS if extension not in known] + [
               "HKCR\\%s\\ShellEx\\%s" % (extension, HANDLER) for extension in known]
        for key in left:
            if reg_has(key):
                failures.append("key left behind: " + key)
        if reg_has("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved", CLSID):
            failures.append("approved-extension value left behind")
    finally:
        subprocess.run(["/usr/lib/wine/wineserver64", "-k"], env=dict(env, WINEPREFIX=args.prefix),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for failure in failures:
        print("FAIL " + failure)
    print("%d failures, %.0f s" % (len(failures), time.monotonic() - start))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
