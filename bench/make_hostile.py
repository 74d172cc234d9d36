#!/usr/bin/env python3
"""Writes one hostile file per kind of cost an import must keep within
seconds and a memory budget. Each is small on disk and quick to make; the
big package is sparse. The rows, in the order the bench prints them, go to
OUTDIR/rows.tsv: the file's path under OUTDIR, a tab, what it does.

  svg-big-path-use.svg      a 60,000-command path placed by 3,990 use elements
  svg-small-path-use.svg    the same with a 1,000-command path
  svg-gradient-use.svg      a rectangle filled with a 20,000-stop gradient, placed 3,990 times
  svg-style-after-use.svg   3,990 placed copies of a path, then a style sheet
  many-svg-icons.xpi        100 icons, each an SVG of 3,990 placed paths and then text
  many-entries.snap         no meta/gui/icon.png; 60,000 files and 200 desktop entries in
                            meta/gui, only the last naming an icon the snap holds
                            (96 px, green)
  quadratic.xpi             30,000 entries with a long shared prefix; a manifest naming
                            15,000 icons of the same shape that are not there, and a
                            16 px blue one that is
  huge-fat.dmg              a disk image whose FAT32 volume claims 140 GB and a 1 GiB FAT
                            in 1 MiB
  many-empty-files_1.0_all.deb
                            600,000 empty files; the desktop entry's icon has 62
                            candidates, all empty but the last (a 32 px orange pixmap)
  <long path>/read-only-big.apk
                            a read-only 1.78 GB package (a sparse stored entry) at a
                            path of 342 characters as Windows spells it (Z:...); its
                            icon is 48 px, red. read-only-big.path holds the path
                            under OUTDIR.
  many-large-trees.apk      an adaptive icon whose foreground names 46 colour files,
                            each of 4,600 items (48 files, some 30 MB of tree text)

Uses Debian's aapt, aapt2 and mksquashfs. Usage: make_hostile.py OUTDIR
"""
import io
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "fixtures"))
from fixture_images import png  # noqa: E402
import make_apks  # noqa: E402
import make_drawables  # noqa: E402
from make_mac_web import udif  # noqa: E402

RED, GREEN, BLUE, ORANGE = (220, 30, 30), (30, 160, 30), (30, 30, 220), (240, 140, 0)
SVG_OPEN = ('<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
            'width="64" height="64" viewBox="0 0 64 64">\n')
USES = 3990  # under the 4,000 elements a document may draw, each use counted


def path_data(commands):
    return "M1,1" + "".join(" l1,1" if i % 2 else " l-1,0" for i in range(commands - 1))


def placed(commands, uses=USES, tail=""):
    """A path of `commands` commands placed `uses` times, then `tail`."""
    return (SVG_OPEN + f'<defs><path id="p" fill="#008080" d="{path_data(commands)}"/></defs>\n'
            + '<use xlink:href="#p"/>\n' * uses + tail + "</svg>\n").encode()


def gradient_svg(stops=20000):
    stop = "".join(f'<stop offset="{i / stops:.5f}" stop-color="#{i % 256:02x}8040"/>' for i in range(stops))
    return (SVG_OPEN + f'<defs><linearGradient id="g">{stop}</linearGradient>'
            '<rect id="r" width="64" height="64" fill="url(#g)"/></defs>\n'
            + '<use xlink:href="#r"/>\n' * USES + "</svg>\n").encode()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def zip_of(files, compression=zipfile.ZIP_DEFLATED):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", compression) as z:
        for name, data in files.items():
            z.writestr(name, data)
    return out.getvalue()


def many_svg_xpi():
    text = '<text x="4" y="40">A</text>\n'
    icons = {str(16 + i): "icons/%03d.svg" % i for i in range(100)}
    files = {"manifest.json": json.dumps({"manifest_version": 2, "name": "Many", "icons": icons})}
    svg = placed(1000, tail=text)
    for name in icons.values():
        files[name] = svg
    return zip_of(files)


def quadratic_xpi():
    # Every name the manifest gives and every entry are the same length and
    # share all but their last characters, so each comparison runs to the end.
    prefix = "icons/" + "q" * 24 + "/"
    icons = {str(100000 + i): prefix + "m%05d.png" % i for i in range(15000)}
    icons["16"] = "icons/16.png"
    files = {"manifest.json": json.dumps({"manifest_version": 2, "name": "Quadratic", "icons": icons}),
             "icons/16.png": png(16, BLUE)}
    for i in range(30000):
        files[prefix + "e%05d.png" % i] = b""
    return zip_of(files, zipfile.ZIP_STORED)


def huge_fat_dmg():
    """A FAT32 boot sector claiming 268 million clusters (a 140 GB volume,
    a FAT of 1 GiB), in a 1 MiB volume wrapped as a UDIF image."""
    fat_sectors, clusters = 1 << 21, 0x0FFFFFF0
    boot = bytearray(512)
    boot[0:3] = b"\xeb\x58\x90"
    boot[3:11] = b"MSWIN4.1"
    struct.pack_into("<HBHBHHBHHHII", boot, 11, 512, 1, 32, 2, 0, 0, 0xF8, 0, 63, 255, 0,
                     32 + 2 * fat_sectors + clusters)
    struct.pack_into("<IHHIHH", boot, 36, fat_sectors, 0, 0, 2, 1, 6)
    struct.pack_into("<BBBI11s8s", boot, 64, 0x80, 0, 0x29, 0x12345678, b"HUGE       ", b"FAT32   ")
    boot[510:512] = b"\x55\xaa"
    volume = bytearray(1 << 20)
    volume[0:512] = boot
    struct.pack_into("<III", volume, 32 * 512, 0x0FFFFFF8, 0x0FFFFFFF, 0x0FFFFFFF)
    return udif(bytes(volume))


def tar_header(name, size=0, kind=b"0"):
    header = bytearray(512)
    header[0:len(name)] = name
    header[100:108] = b"0000644\0"
    header[108:116] = header[116:124] = b"0000000\0"
    header[124:136] = b"%011o\0" % size
    header[136:148] = b"00000000000\0"
    header[148:156] = b" " * 8
    header[156:157] = kind
    header[257:265] = b"ustar\x0000"
    header[148:156] = b"%06o\0 " % sum(header)
    return bytes(header)


def tar_file(name, data):
    return tar_header(name, len(data)) + data + bytes(-len(data) % 512)


def ar_member(name, data):
    header = b"%-16s%-12d%-6d%-6d%-8s%-10d`\n" % (name, 0, 0, 0, b"100644", len(data))
    return header + data + (b"\n" if len(data) % 2 else b"")


def many_files_deb():
    """data.tar.gz: the desktop entry, 62 candidates for its icon (60 sizes
    and a scalable one, all empty, then the pixmap) and 600,000 empty files
    in a theme folder, where every one is kept as a possible icon."""
    gz = zlib.compressobj(6, zlib.DEFLATED, 31)
    parts = [gz.compress(tar_file(b"./usr/share/applications/demo.desktop",
                                  b"[Desktop Entry]\nType=Application\nName=Demo\nIcon=demo\n"))]
    parts.append(gz.compress(tar_header(b"./usr/share/icons/hicolor/scalable/apps/demo.svg")))
    parts.append(gz.compress(b"".join(tar_header(b"./usr/share/icons/hicolor/%dx%d/apps/demo.png" % (side, side))
                                      for side in range(16, 76))))
    parts.append(gz.compress(tar_file(b"./usr/share/pixmaps/demo.png", png(32, ORANGE))))
    for start in range(0, 600000, 10000):
        parts.append(gz.compress(b"".join(tar_header(b"./usr/share/icons/hicolor/48x48/apps/x%06d.png" % i)
                                          for i in range(start, start + 10000))))
    parts.append(gz.compress(bytes(1024)))
    data = b"".join(parts) + gz.flush()
    control = zlib.compressobj(6, zlib.DEFLATED, 31)
    control = control.compress(tar_file(b"./control", b"Package: many-empty-files\nVersion: 1.0\nArchitecture: all\n"
                                        b"Maintainer: Tests <t@example.org>\nDescription: hostile\n")
                               + bytes(1024)) + control.flush()
    return (b"!<arch>\n" + ar_member(b"debian-binary", b"2.0\n") + ar_member(b"control.tar.gz", control)
            + ar_member(b"data.tar.gz", data))


def many_entries_snap(work):
    root = os.path.join(work, "snap")
    gui = os.path.join(root, "meta", "gui")
    os.makedirs(gui)
    write(os.path.join(root, "meta", "snap.yaml"), b"name: many\n")
    for i in range(60000):
        open(os.path.join(gui, "f%05d" % i), "wb").close()
    for i in range(200):
        write(os.path.join(gui, "app%03d.desktop" % i),
              b"[Desktop Entry]\nType=Application\nName=App\nIcon=${SNAP}/meta/gui/icon%03d.png\n" % i)
    write(os.path.join(gui, "icon199.png"), png(96, GREEN))
    image = os.path.join(work, "many.snap")
    subprocess.run(["mksquashfs", root, image, "-noappend", "-all-root", "-quiet", "-no-progress", "-comp", "xz"],
                   check=True, stdout=subprocess.DEVNULL)
    with open(image, "rb") as f:
        return f.read()


def read_only_big_apk(out, work, total=1_780_000_000, windows_length=342):
    """The package aapt makes, with a stored entry of zeros written as a
    hole before its central directory, so the file has its size and costs
    no disk; at a path of windows_length characters as Wine names it."""
    apk = make_apks.build(work, "big", {"mipmap-mdpi/ic_launcher": png(48, RED)})
    with open(apk, "rb") as f:
        small = f.read()
    end = small.rindex(b"PK\x05\x06")
    count, directory_size, directory_at = struct.unpack_from("<HII", small, end + 10)
    name = b"assets/padding.bin"
    local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 10, 0, 0, 0, 0, 0, 0, 0, len(name), 0) + name
    pad = total - len(small) - len(local) - (46 + len(name))
    crc, block = 0, bytes(64 << 20)
    for done in range(0, pad, len(block)):
        crc = zlib.crc32(block[:min(len(block), pad - done)], crc)
    local = bytearray(local)
    struct.pack_into("<III", local, 14, crc, pad, pad)
    central = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 10, 0, 0, 0, 0, crc, pad, pad, len(name),
                          0, 0, 0, 0, 0, directory_at) + name
    new_directory_at = directory_at + len(local) + pad
    eocd = bytearray(small[end:])
    struct.pack_into("<HHII", eocd, 8, count + 1, count + 1, directory_size + len(central), new_directory_at)

    # Folders of 100 characters, then one that brings the path to its length.
    folder = os.path.abspath(out)
    file_name = "read-only-big.apk"
    windows = lambda path: 2 + len(path)  # "Z:" before the Unix path
    while windows(os.path.join(folder, "d" * 100, file_name)) + 1 < windows_length - 100:
        folder = os.path.join(folder, "d" * 100)
    last = windows_length - windows(os.path.join(folder, "", file_name)) - 1
    folder = os.path.join(folder, "e" * last)
    path = os.path.join(folder, file_name)
    assert windows(path) == windows_length, windows(path)
    os.makedirs(folder)
    with open(path, "wb") as f:
        f.write(small[:directory_at] + local)
        f.seek(pad, os.SEEK_CUR)
        f.write(small[directory_at:end] + central + bytes(eocd))
    assert os.path.getsize(path) == total
    os.chmod(path, 0o444)
    relative = os.path.relpath(path, out)
    with open(os.path.join(out, "read-only-big.path"), "w") as f:
        f.write(relative.replace("/", "\\") + "\n")
    return relative


def many_large_trees_apk(out):
    """46 colour state lists of 4,600 items each, one per stripe of the
    foreground: with the icon and the foreground, 48 files."""
    A = make_drawables.ANDROID
    items = '<item android:state_pressed="true" android:color="#ff0000"/>\n' * 4600
    files = {"color/c%02d.xml" % i: f'<selector {A}>{items}<item android:color="#ff{i:02x}80"/></selector>\n'
             for i in range(46)}
    stripes = "".join('<path android:pathData="M0,0h108v108h-108z" android:fillColor="@color/c%02d"/>\n' % i
                      for i in range(46))
    files["drawable/fg.xml"] = make_drawables.vector(108, 108, stripes)
    files["values/colors.xml"] = make_drawables.COLORS
    files["mipmap-anydpi-v26/ic_launcher.xml"] = make_drawables.adaptive(
        '<background android:drawable="@color/bg"/>', '<foreground android:drawable="@drawable/fg"/>')
    make_drawables.build(out, "many-large-trees", "@mipmap/ic_launcher", files)


def main(out):
    if os.path.isdir(out):
        shutil.rmtree(out)
    os.makedirs(out)
    rows = []

    def row(name, data, what):
        if data is not None:
            write(os.path.join(out, name), data)
        rows.append((name, what))

    with tempfile.TemporaryDirectory() as work:
        row("svg-big-path-use.svg", placed(60000), "SVG: one big path used many times")
        row("svg-small-path-use.svg", placed(1000), "SVG: a 1,000-element path used many times")
        row("svg-gradient-use.svg", gradient_svg(), "SVG: gradient stops multiplied through use")
        row("svg-style-after-use.svg", placed(1000, tail="<style>path { fill: red }</style>\n"),
            "SVG: a style sheet reached after many use")
        row("many-svg-icons.xpi", many_svg_xpi(), ".xpi: many SVG icons")
        row("many-entries.snap", many_entries_snap(work), ".snap: many entries")
        row("quadratic.xpi", quadratic_xpi(), ".xpi: quadratic")
        row("huge-fat.dmg", huge_fat_dmg(), "FAT .dmg claiming a huge volume")
        row("many-empty-files_1.0_all.deb", many_files_deb(), ".deb: 600,000 empty files, 62 icon candidates")
        row(read_only_big_apk(out, work), None, "read-only 1.78 GB package at a 342-character path")
        many_large_trees_apk(out)
        row("many-large-trees.apk", None, "adaptive icon naming 48 large resource files")
    with open(os.path.join(out, "rows.tsv"), "w") as f:
        for name, what in rows:
            f.write("%s\t%s\n" % (name.replace("/", "\\"), what))
    open(os.path.join(out, "stamp"), "w").close()


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
