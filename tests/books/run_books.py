#!/usr/bin/env python3
"""Runs brisleaf-thumb over a folder of generated books and checks its answers.

The folder holds the books and `expected.tsv`, one case a line:
    BOOK <tab> WIDTHxHEIGHT <tab> SETTINGS <tab> EXPECTED [<tab> FLAGS]
SETTINGS is the text of a settings file beside the module ("-" for none, "\\n"
for line breaks); EXPECTED is "WIDTH HEIGHT BITS" or "none"; FLAGS "ansi"
asks through the 8-bit export.

Every case's bitmap is written as BMP under --out. With --reference, each BMP
must show the same picture as the one of the same case under that folder:
the same size and depth, and every pixel the same colour. That is how the
Windows DLL under Wine is compared with the native build. (Wine hands a host
the colour table of an 8-bit bitmap padded to 256 entries, so the files
themselves may differ in the unused entries.)
"""
import argparse
import hashlib
import os
import shutil
import struct
import subprocess
import sys


def picture_of(path):
    """(width, height, bits, colours of every pixel) of an uncompressed BMP."""
    with open(path, "rb") as bmp:
        data = bmp.read()
    pixels_at, = struct.unpack_from("<I", data, 10)
    header_size, width, height, _, bits = struct.unpack_from("<IiiHH", data, 14)
    colours_used, = struct.unpack_from("<I", data, 46)
    stride = (width * bits + 31) // 32 * 4
    rows = [data[pixels_at + row * stride:pixels_at + row * stride + (width * bits + 7) // 8]
            for row in range(abs(height))]
    if bits > 8:
        return width, height, bits, rows
    table_at = 14 + header_size
    table = [data[table_at + 4 * i:table_at + 4 * i + 3] for i in range(colours_used or 1 << bits)]
    per_byte = 8 // bits
    colours = []
    for row in rows:
        for x in range(width):
            index = row[x // per_byte] >> (8 - bits - (x % per_byte) * bits) & ((1 << bits) - 1)
            colours.append(table[index] if index < len(table) else None)
    return width, height, bits, colours


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--books", required=True)
    parser.add_argument("--manifest", help="the cases (default: BOOKS/expected.tsv)")
    parser.add_argument("--thumb", required=True, help="brisleaf-thumb program")
    parser.add_argument("--plugin", required=True, help="the module to copy beside settings files")
    parser.add_argument("--emulator", help="wrapper that runs the program (Wine)")
    parser.add_argument("--out", required=True)
    parser.add_argument("--reference", help="folder of BMPs the answers must equal")
    args = parser.parse_args()

    shutil.rmtree(args.out, ignore_errors=True)
    os.makedirs(args.out)
    plugins = {}
    failures = []
    cases = 0
    with open(args.manifest or os.path.join(args.books, "expected.tsv"), encoding="utf-8") as manifest:
        for number, line in enumerate(manifest, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            book, box, settings, expected = fields[:4]
            flags = fields[4] if len(fields) > 4 else "-"
            cases += 1
            plugin = args.plugin
            if settings != "-":
                key = hashlib.sha1(settings.encode()).hexdigest()[:12]
                if key not in plugins:
                    folder = os.path.join(args.out, "plugin-" + key)
                    os.makedirs(folder)
                    shutil.copy(args.plugin, folder)
                    settings_file = os.path.splitext(os.path.basename(args.plugin))[0] + ".ini"
                    with open(os.path.join(folder, settings_file), "w", encoding="utf-8") as ini:
                        ini.write(settings.replace("\\n", "\n"))
                    plugins[key] = os.path.join(folder, os.path.basename(args.plugin))
                plugin = plugins[key]
            output_name = "%03d-%s.bmp" % (number, box)
            output = os.path.join(args.out, output_name)
            command = ([args.emulator] if args.emulator else []) + [
                args.thumb, "--info", "--box", box, "--plugin", plugin] + (
                ["--ansi"] if flags == "ansi" else []) + [
                os.path.join(args.books, book), output]
            run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                 stdin=subprocess.DEVNULL, timeout=120)
            answer = run.stdout.decode().strip().replace("\r", "") if run.returncode == 0 else "none"
            what = "%s %s [%s]" % (book, box, settings)
            if run.returncode not in (0, 1):
                failures.append("%s: exit %d: %s" % (what, run.returncode, run.stderr.decode().strip()))
                continue
            if answer != expected:
                failures.append("%s: got %r, expected %r" % (what, answer, expected))
                continue
            if args.reference and run.returncode == 0:
                reference = os.path.join(args.reference, output_name)
                if picture_of(output) != picture_of(reference):
                    failures.append("%s: pixels differ from %s" % (what, reference))
    for failure in failures:
        print("FAIL " + failure)
    print("%d passed, %d failed" % (cases - len(failures), len(failures)))
    return 1 if failures or cases == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
