#!/usr/bin/env python3
"""Writes starting inputs for the fuzz targets, one folder per target, so
each target begins from well-formed inputs instead of finding every header
by chance.

Without --full the inputs are a few kilobytes each; they are committed in
tests/fuzz/seeds and replayed by `make test`. With --full (scripts/fuzz.sh)
the same shapes come at the largest size a fuzz input may have (1 MiB), so
work that grows with the input's counts or declared sizes shows up as a
timeout: resource directories of tens of thousands of entries, compressed
data that expands to the largest image allowed, listings of a megabyte.

Usage: make_seeds.py OUTDIR [--full]
"""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures"))
from fixture_images import icns, runs  # noqa: E402

MAX_INPUT = 1 << 20  # the fuzz script's -max_len


# --- executables and shortcuts ------------------------------------------------

RSRC_RVA, FILE_ALIGN = 0x1000, 0x200
HIGH = 0x80000000


def pe(section):
    """A PE32+ file with one .rsrc section holding `section`, laid out at
    RSRC_RVA; the resource directory starts at the section's start."""
    out = bytearray(0x40)
    out[0:2] = b"MZ"
    struct.pack_into("<I", out, 0x3C, 0x40)
    out += b"PE\0\0" + struct.pack("<HHIIIHH", 0x8664, 1, 0, 0, 0, 240, 0x0002)
    optional = bytearray(240)
    struct.pack_into("<H", optional, 0, 0x20B)
    struct.pack_into("<I", optional, 108, 16)  # NumberOfRvaAndSizes
    struct.pack_into("<II", optional, 112 + 8 * 2, RSRC_RVA, len(section))
    out += optional
    raw = (len(section) + FILE_ALIGN - 1) // FILE_ALIGN * FILE_ALIGN
    out += b".rsrc\0\0\0" + struct.pack("<IIII", len(section), RSRC_RVA, raw, FILE_ALIGN) + bytes(16)
    out += bytes(FILE_ALIGN - len(out))
    return bytes(out + section + bytes(raw - len(section)))


def directory(entries):
    """A resource directory: 16-byte header (all identifiers, no names),
    then (name, target) pairs."""
    return struct.pack("<IIHHHH", 0, 0, 0, 0, 0, len(entries)) + b"".join(struct.pack("<II", n, t) for n, t in entries)


def data_entry(offset, size):
    return struct.pack("<IIII", RSRC_RVA + offset, size, 0, 0)


def icon_group(entries):
    """entries: (width byte, height byte, bits, id)."""
    out = struct.pack("<HHH", 0, 1, len(entries))
    for w, h, bits, ident in entries:
        out += struct.pack("<BBBBHHIH", w, h, 0, 0, 1, bits, 0, ident)
    return out


def dib(size, bits):
    """An icon bitmap: header with double height, palette, pixels, AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    palette = bytes(i % 256 for i in range(4 * (1 << bits))) if bits <= 8 else b""
    stride = (size * bits + 31) // 32 * 4
    pixels = bytes((x * 37 + 11) % 256 for x in range(stride * size))
    mask = bytes([0x0F]) * ((size + 31) // 32 * 4) * size
    return header + palette + pixels + mask


def resource_section(resources):
    """Ordinary layout: type, identifier and language levels, then data.
    resources: {type: {id: bytes}}."""
    types = sorted(resources)
    at = 16 + 8 * len(types)
    type_dirs, lang_dirs = [], []
    type_at = []
    for t in types:
        type_at.append(at)
        at += 16 + 8 * len(resources[t])
    name_at = {}
    for t in types:
        for ident in sorted(resources[t]):
            name_at[t, ident] = at
            at += 16 + 8
    entry_at = {}
    for t in types:
        for ident in sorted(resources[t]):
            entry_at[t, ident] = at
            at += 16
    blob_at = {}
    blobs = b""
    for t in types:
        for ident in sorted(resources[t]):
            blob_at[t, ident] = at + len(blobs)
            blobs += resources[t][ident] + bytes(-len(resources[t][ident]) % 4)
    out = directory([(t, HIGH | a) for t, a in zip(types, type_at)])
    for t in types:
        type_dirs.append(directory([(i, HIGH | name_at[t, i]) for i in sorted(resources[t])]))
    for t in types:
        for ident in sorted(resources[t]):
            lang_dirs.append(directory([(0x409, entry_at[t, ident])]))
    out += b"".join(type_dirs) + b"".join(lang_dirs)
    for t in types:
        for ident in sorted(resources[t]):
            out += data_entry(blob_at[t, ident], len(resources[t][ident]))
    return out + blobs


def ordinary_exe():
    group = icon_group([(16, 16, 8, 1), (32, 32, 32, 2), (16, 16, 32, 3)])
    return pe(resource_section({14: {1: group}, 3: {1: dib(16, 8), 2: dib(32, 32), 3: dib(16, 32)}}))


def wide_shared_languages(ids, languages):
    """RT_GROUP_ICON and RT_ICON each name `ids` identifiers, and all of them
    point at one language directory of `languages` entries, whose entries all
    point at one icon group (read as the icon image too)."""
    group = icon_group([(32, 32, 32, 1)])
    icons_at = 16 + 16
    groups_at = icons_at + 16 + 8 * ids
    languages_at = groups_at + 16 + 8 * ids
    entry_at = languages_at + 16 + 8 * languages
    shared = [(i + 1, HIGH | languages_at) for i in range(ids)]
    return pe(directory([(3, HIGH | icons_at), (14, HIGH | groups_at)]) + directory(shared) + directory(shared)
              + directory([(0x400 + i, entry_at) for i in range(languages)])
              + data_entry(entry_at + 16, len(group)) + group)


def root_points_at_itself(count):
    """A root directory of `count` entries: the first leads to an icon group
    (so the root read as a language directory yields data), every other one
    back to the root, RT_ICON and RT_GROUP_ICON among them."""
    group = icon_group([(32, 32, 32, 3)])
    entry_at = 16 + 8 * count
    entries = [(1, entry_at), (3, HIGH), (14, HIGH)] + [(15 + i, HIGH) for i in range(count - 3)]
    return pe(directory(entries) + data_entry(entry_at + 16, len(group)) + group)


def shortcut(path):
    """A shell link whose LinkInfo carries the local base path, in ANSI and in
    UTF-16."""
    header = struct.pack("<I16sII", 0x4C, bytes(16), 0x3, 0) + bytes(0x4C - 28)
    id_list = struct.pack("<H", 2) + b"\0\0"
    volume = struct.pack("<IIII", 0x11, 3, 0x1234, 0x10) + b"\0"
    ansi = path.encode("latin-1") + b"\0"
    wide = path.encode("utf-16-le") + b"\0\0"
    base = 0x24 + len(volume)
    suffix = base + len(ansi)
    base_w = suffix + 1
    suffix_w = base_w + len(wide)
    body = volume + ansi + b"\0" + wide + b"\0\0"
    info = struct.pack("<IIIIIIIII", 0x24 + len(body), 0x24, 1, 0x24, base, 0, suffix, base_w, suffix_w) + body
    return header + id_list + info


def exe_seeds(full):
    seeds = {"ordinary.exe": ordinary_exe(), "shortcut.lnk": shortcut("C:\\Tools\\\u00e9diteur.exe")}
    if full:
        # Three directories of 40000 entries fill the 1 MiB; one of 65535 is the most a count allows.
        seeds["wide-shared-languages.exe"] = wide_shared_languages(40000, 40000)
        seeds["root-points-at-itself.exe"] = root_points_at_itself(65535)
    else:
        seeds["wide-shared-languages.exe"] = wide_shared_languages(64, 64)
        seeds["root-points-at-itself.exe"] = root_points_at_itself(64)
    return seeds


# --- PNG, crushed PNG, icon files -----------------------------------------------

def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}


def raw_rows(width, height, colour, depth, interlace, fill=None):
    """Filtered image data: every row (of every pass) with filter byte 0..4
    in turn; pixel bytes from a pattern, or all `fill`."""
    passes = [(0, 0, 1, 1)] if not interlace else [
        (0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
    out = bytearray()
    for x0, y0, dx, dy in passes:
        w = (width - x0 + dx - 1) // dx if width > x0 else 0
        h = (height - y0 + dy - 1) // dy if height > y0 else 0
        if w == 0 or h == 0:
            continue
        row = (w * CHANNELS[colour] * depth + 7) // 8
        for y in range(h):
            if fill is None:
                out += bytes([y % 5]) + bytes((x * 29 + y * 7) % 256 for x in range(row))
            else:
                out += bytes([0]) + bytes([fill]) * row
    return bytes(out)


def png_file(width, height, colour=6, depth=8, interlace=0, fill=None, crushed=False, pieces=1, wrapped=None):
    """A PNG, or with `crushed` a CgBI one whose IDAT is raw deflate (unless
    `wrapped` asks for the zlib wrapper all the same)."""
    raw = raw_rows(width, height, colour, depth, interlace, fill)
    if crushed and not wrapped:  # raw deflate, no zlib wrapper
        c = zlib.compressobj(9, zlib.DEFLATED, -15)
        data = c.compress(raw) + c.flush()
    else:
        data = zlib.compress(raw, 9)
    out = b"\x89PNG\r\n\x1a\n"
    if crushed:
        out += chunk(b"CgBI", b"\x50\x00\x20\x06")
    out += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace))
    if colour == 3:
        out += chunk(b"PLTE", bytes(range(48))) + chunk(b"tRNS", b"\x00\x80")
    step = max(1, (len(data) + pieces - 1) // pieces)
    for at in range(0, len(data), step):
        out += chunk(b"IDAT", data[at:at + step])
    return out + chunk(b"IEND", b"")


def png_variants(crushed):
    return {
        "rgba8.png": png_file(7, 5, crushed=crushed),
        "rgb8-split.png": png_file(6, 4, colour=2, crushed=crushed, pieces=3),
        "grey1.png": png_file(9, 3, colour=0, depth=1, crushed=crushed),
        "palette4.png": png_file(5, 5, colour=3, depth=4, crushed=crushed),
        "grey-alpha16.png": png_file(4, 4, colour=4, depth=16, crushed=crushed),
        "rgba8-interlaced.png": png_file(9, 9, interlace=1, crushed=crushed),
    }


def cgbi_seeds(full):
    seeds = {"crushed-" + k: v for k, v in png_variants(True).items()}
    # A crushed PNG whose IDAT is zlib-wrapped after all: read as a fallback.
    seeds["crushed-zlib.png"] = png_file(4, 4, crushed=True, wrapped=True)
    if full:  # the largest image allowed, 16 bits a channel: about 128 KiB expanding to 128 MiB
        seeds["crushed-largest.png"] = png_file(4096, 4096, depth=16, fill=0, crushed=True)
        seeds["crushed-largest-interlaced.png"] = png_file(4096, 4096, depth=16, interlace=1, fill=0, crushed=True)
    return seeds


def png_seeds(full):
    seeds = png_variants(False)
    if full:
        seeds["largest.png"] = png_file(4096, 4096, fill=0)
        seeds["largest-16-interlaced.png"] = png_file(4096, 4096, depth=16, interlace=1, fill=0)
    return seeds


def ico(image, width, height, bits):
    return struct.pack("<HHHBBBBHHII", 0, 1, 1, width % 256, height % 256, 0, 0, 1, bits, len(image), 22) + image


def ico_seeds(full):
    seeds = {f"dib{bits}.ico": ico(dib(16, bits), 16, 16, bits) for bits in (1, 4, 8, 24, 32)}
    bitfields = bytearray(dib(8, 32))
    struct.pack_into("<I", bitfields, 16, 3)  # BI_BITFIELDS
    seeds["dib32-bitfields.ico"] = ico(bytes(bitfields[:40]) + struct.pack("<III", 0xFF0000, 0xFF00, 0xFF) + bytes(bitfields[40:]), 8, 8, 32)
    seeds["png.ico"] = ico(png_file(16, 16), 16, 16, 32)
    if full:
        # The widest bitmap allowed, as many one-bit rows as fit in 1 MiB.
        header = struct.pack("<IiiHHIIiiII", 40, 4096, 2 * 1000, 1, 1, 0, 0, 0, 0, 0, 0)
        seeds["wide-1bit.ico"] = ico(header + b"\0\0\0\0\xff\xff\xff\0" + b"\x55" * (2 * 512 * 1000), 0, 0, 1)
        seeds["largest-png.ico"] = ico(png_file(4096, 4096, fill=0), 0, 0, 32)
    return seeds


# --- header probes -------------------------------------------------------------

def probe_seeds(full):
    jpeg = (b"\xff\xd8" + b"\xff\xe0" + struct.pack(">H", 16) + b"JFIF\0\1\1\0\0\1\0\1\0\0"
            + b"\xff\xc0" + struct.pack(">HBHHB", 17, 8, 48, 64, 3) + bytes(9) + b"\xff\xd9")
    bmp = b"BM" + struct.pack("<IHHI", 70, 0, 0, 54) + struct.pack("<IiiHHIIiiII", 40, 2, -2, 1, 32, 0, 16, 0, 0, 0, 0) + bytes(16)
    vp8 = b"RIFF" + struct.pack("<I", 22) + b"WEBPVP8 " + struct.pack("<I", 10) + b"\x30\x01\x00\x9d\x01\x2a" + struct.pack("<HH", 64, 48) + bytes(2)
    vp8l = b"RIFF" + struct.pack("<I", 22) + b"WEBPVP8L" + struct.pack("<I", 10) + b"\x2f" + struct.pack("<I", 63 | (47 << 14)) + bytes(5)
    vp8x = b"RIFF" + struct.pack("<I", 22) + b"WEBPVP8X" + struct.pack("<I", 10) + bytes(4) + (4095).to_bytes(3, "little") + (4095).to_bytes(3, "little") + bytes(0)
    seeds = {
        "png-header.png": png_file(3, 3)[:33],
        "jpeg.jpg": jpeg,
        "bmp.bmp": bmp,
        "gif.gif": b"GIF89a" + struct.pack("<HH", 40, 30) + bytes(3),
        "ico-header.ico": ico(b"", 16, 16, 32),
        "vp8.webp": vp8,
        "vp8l.webp": vp8l,
        "vp8x.webp": vp8x,
        "pcx.pcx": b"\x0a\x05\x01\x08" + bytes(124),
    }
    if full:
        # Segment after segment before the frame header, then fill bytes.
        segments = b"\xff\xfe" + struct.pack(">H", 2)
        count = (MAX_INPUT - 64) // len(segments)
        seeds["jpeg-many-segments.jpg"] = b"\xff\xd8" + segments * count + jpeg[20:]
        seeds["jpeg-fill.jpg"] = b"\xff\xd8" + b"\xff" * (MAX_INPUT - 32) + jpeg[20:]
    return seeds


# --- tool listings -------------------------------------------------------------

def apk_seeds(full):
    badging = ("res/mipmap-anydpi-v26/ic_launcher.xml\n"
               "AndroidManifest.xml\r\nres/mipmap-anydpi-v26/ic_launcher.xml\r\nres/mipmap-mdpi-v4/ic_launcher.png\r\n"
               "res/mipmap-xxhdpi-v4/ic_launcher.webp\r\nres/mipmap-xxhdpi-v4/ic_launcher.png\r\n"
               "res/drawable-nodpi/ic_launcher.png\r\nres/drawable/ic_launcher.png\r\nresources.arsc\r\n")
    zipinfo = ("res/drawable/icon.png\n"
               "-rw-rw-rw-  2.3 unx      172 b- stor 80-Jan-01 00:00 res/drawable/icon.png\r\n"
               "-rw-rw-rw-  2.3 unx 73400320 b- defN 80-Jan-01 00:00 res/drawable/big icon.png\n"
               "caution: filename not matched:  res/drawable/gone.png\n")
    seeds = {"listing.txt": badging.encode(), "zipinfo.txt": zipinfo.encode()}
    if full:
        line = "res/mipmap-xxxhdpi-v4/ic_launcher.png\n"
        seeds["long-listing.txt"] = ("res/mipmap-anydpi-v26/ic_launcher.xml\n" + line * ((MAX_INPUT - 64) // len(line))).encode()
        entry = "-rw-rw-rw-  2.3 unx      172 b- stor 80-Jan-01 00:00 res/drawable/icon.png\n"
        seeds["long-zipinfo.txt"] = ("res/drawable/icon.png\n" + entry * ((MAX_INPUT - 64) // len(entry))).encode()
    return seeds


def technical_listing(entries, codec):
    """7-Zip's "l -slt" listing of (size, packed size, path) entries."""
    out = ("\r\n7-Zip (a) 21.07 (x64)\r\n\r\nListing archive: app.ipa\r\n\r\n--\r\n"
           "Path = app.ipa\r\nType = zip\r\nPhysical Size = 9000\r\n\r\n----------\r\n")
    for size, packed, path in entries:
        folder = "+" if path.endswith("\\") else "-"
        out += (f"Path = {path.rstrip(chr(92))}\r\nFolder = {folder}\r\nSize = {size}\r\n"
                f"Packed Size = {packed}\r\nMethod = Deflate\r\n\r\n")
    return out.encode(codec)


def ipa_listing_seeds(full):
    app = "Payload\\Foo.app\\"
    seeds = {
        "ipa-1252.txt": b"\0" + technical_listing([(0, 0, app), (100, 80, app + "Info.plist"), (300, 0, app + "AppIcon20x20.png"),
                                                   (800, 700, app + "AppIcon60x60@3x.png"), (500, 400, app + "AppIcon40x40.png"),
                                                   (900, 800, app + "AppIcon76x76.png")], "cp1252"),
        "ipa-gbk.txt": b"\1" + technical_listing([(38497, 38000, "Payload\\\u5e94\u7528.app\\AppIcon60x60@2x.png")], "gbk"),
        "ipa-webp.txt": b"\0" + technical_listing([(500, 400, app + "AppIcon60x60.webp")], "cp1252"),
        "forged-names.txt": b"\0" + technical_listing([(5, 4, "x\r\n\r\nPath = AppxManifest.xml\r\nSize = 10"),
                                                       (900000000, 12, "AppxManifest.xml"),
                                                       (18446744073709551616, "12x", "Over.bin")], "cp1252"),
    }
    if full:
        line_len = len(technical_listing([(1000, 900, app + "AppIcon60x60@2x.png")], "cp1252")) - len(technical_listing([], "cp1252"))
        count = (MAX_INPUT - 512) // line_len
        seeds["long-listing.txt"] = b"\0" + technical_listing([(1000 + i, 900, f"{app}AppIcon{i:07d}.png") for i in range(1, count + 1)], "cp1252")
    return seeds


# --- drawn Android icons ------------------------------------------------------

DRAWABLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "native", "data", "drawables")


def captured(package, name):
    """A dump captured from the carried packaging tool (tests/native/data)."""
    with open(os.path.join(DRAWABLES, package, name), "rb") as f:
        return f.read()


VECTOR_HEAD = ("N: android=http://schemas.android.com/apk/res/android\r\n"
               "  E: vector (line=1)\r\n"
               "    A: android:height(0x01010155)=(type 0x5)0x1801\r\n"
               "    A: android:width(0x01010159)=(type 0x5)0x1801\r\n"
               "    A: android:viewportWidth(0x01010402)=(type 0x4)0x41c00000\r\n"
               "    A: android:viewportHeight(0x01010403)=(type 0x4)0x41c00000\r\n")
# Both layers given inline: an inset of a gradient oval, and a vector.
INLINE_ADAPTIVE = ("N: android=http://schemas.android.com/apk/res/android\r\n"
                   "  E: adaptive-icon (line=1)\r\n"
                   "    E: background (line=2)\r\n"
                   "      E: inset (line=2)\r\n"
                   "        A: android:inset(0x010104b5)=(type 0x6)0x20000030\r\n"
                   "        E: shape (line=2)\r\n"
                   "          A: android:shape(0x0101019a)=(type 0x10)0x1\r\n"
                   "          E: gradient (line=2)\r\n"
                   "            A: android:type(0x010101a1)=(type 0x10)0x1\r\n"
                   "            A: android:gradientRadius(0x010101a4)=(type 0x5)0x1401\r\n"
                   "            A: android:startColor(0x0101019d)=(type 0x1d)0xffffffff\r\n"
                   "            A: android:centerColor(0x0101020b)=@0x7f010001\r\n"
                   "            A: android:endColor(0x0101019e)=(type 0x1f)0xff000000\r\n"
                   "          E: corners (line=2)\r\n"
                   "            A: android:radius(0x010101a8)=(type 0x5)0x801\r\n"
                   "    E: foreground (line=3)\r\n"
                   "      E: vector (line=1)\r\n"
                   "        A: android:height(0x01010155)=(type 0x5)0x1801\r\n"
                   "        A: android:width(0x01010159)=(type 0x5)0x1801\r\n"
                   "        A: android:viewportWidth(0x01010402)=(type 0x4)0x41c00000\r\n"
                   "        A: android:viewportHeight(0x01010403)=(type 0x4)0x41c00000\r\n"
                   "        E: path (line=4)\r\n"
                   "          A: android:fillColor(0x01010404)=@0x7f010001\r\n"
                   "          A: android:pathData(0x01010405)=\"M0,0h24v24z\" (Raw: \"M0,0h24v24z\")\r\n")


def drawable_seeds(full):
    def seed(resources, tree):
        return resources + b"\0" + tree
    shapes = captured("adaptive-shapes", "resources.txt")
    seeds = {
        "vector.txt": seed(captured("vector-every-attribute", "resources.txt"),
                           captured("vector-every-attribute", "res_drawable_fg.xml.txt")),
        "groups.txt": seed(captured("groups-15", "resources.txt"), captured("groups-15", "res_drawable_ic_deep.xml.txt")),
        "adaptive-bitmap.txt": seed(captured("adaptive-bitmap", "resources.txt"),
                                    captured("adaptive-bitmap", "res_mipmap-anydpi-v26_ic_launcher.xml.txt")),
        "adaptive-framework.txt": seed(b"", captured("adaptive-framework-colours", "res_mipmap-anydpi-v26_ic_launcher.xml.txt")),
        "adaptive-inline.txt": seed(shapes, INLINE_ADAPTIVE.encode()),
    }
    if full:
        room = MAX_INPUT - len(shapes) - len(VECTOR_HEAD) - 64
        path = ("    E: path (line=2)\r\n      A: android:fillColor(0x01010404)=@0x7f010001\r\n"
                "      A: android:pathData(0x01010405)=\"M0,0h1z\" (Raw: \"M0,0h1z\")\r\n")
        seeds["many-paths.txt"] = seed(shapes, (VECTOR_HEAD + path * (room // len(path))).encode())
        data = "M0,0" + "l1,1" * ((room - 200) // 8)
        seeds["long-path-data.txt"] = seed(shapes, (VECTOR_HEAD + "    E: path (line=2)\r\n      A: android:pathData(0x01010405)=\""
                                                    + data + "\" (Raw: \"" + data + "\")\r\n").encode())
        seeds["long-attribute-line.txt"] = seed(shapes, (VECTOR_HEAD + "    A: " + "a" * room + "=(type 0x4)0x0\r\n").encode())
        # One colour listed under configuration after configuration, named by every path.
        config = "      config xxhdpi:\r\n        resource 0x7f010001 c:color/c: t=0x1d d=0xff336699 (s=0x0008 r=0x00)\r\n"
        configs = (config * ((MAX_INPUT // 2) // len(config))).encode()
        seeds["many-configs.txt"] = seed(configs, (VECTOR_HEAD + path * ((MAX_INPUT // 2 - 1024) // len(path))).encode())
        nested = "".join(" " * (2 + 2 * i) + "E: group (line=1)\r\n" for i in range(1000))
        seeds["deep-groups.txt"] = seed(b"", (VECTOR_HEAD + nested).encode())
    return seeds


def resource_seeds(full):
    seeds = {name + ".txt": captured(name, "resources.txt") for name in ("vector-every-attribute", "adaptive-bitmap")}
    if full:
        line = "        resource 0x7f020000 c:drawable/d: t=0x03 d=0x00000000 (s=0x0008 r=0x00)\r\n          (string8) \"res/d.png\"\r\n"
        seeds["long-listing.txt"] = ("      config xxhdpi:\r\n" + line * ((MAX_INPUT - 64) // len(line))).encode()
        seeds["long-line.txt"] = ("        resource 0x7f020000 " + " t=" * ((MAX_INPUT - 64) // 3) + "\r\n").encode()
    return seeds


# --- drawn icons (renderer) ---------------------------------------------------

def path_data_seeds(full):
    seeds = {
        "shapes.txt": b"M12 2C6.48 2 2 6.48 2 12s4.48 10 10 10 10-4.48 10-10S17.52 2 12 2zm0 18c-4.41 0-8-3.59-8-8h16z",
        "arcs.txt": b"M50 0A50 50,0,1,1,50 100A50 50,0,1,1,50 0a5 5 0 0110 0a0 5 0 0 1 5 5",
        "compact.txt": b"M1-2l1e-3.5.5H4V5h-1v-1Q3 3 6 0T12 0t1 1zm+1,2",
    }
    if full:
        step = b"c1 2 3 4 5 6a7 8 9 1 0 10 11q1 1 2 2t3 3"
        seeds["long-path.txt"] = b"M0 0" + step * ((MAX_INPUT - 16) // len(step))
    return seeds


def render_seeds(full):
    """Lines as tests/fuzz/DrawableRenderFuzzer.cpp reads them; parameter
    digits pick 0 1 2 4 24 48 90 108 -1 0.5."""
    vector = (b"\x0055551\n"
              b"p11000100M8 8H40V40H8Z\n"
              b"(6441100\n" b"cM0 0H24V48H0Z\n" b"p00530102M12 24H36\n" b")\n"
              b"p22000100M0 0H48V48H0Z\n"
              b"p33539190M4 44L44 4\n"
              b"p14000100M24 24m-10 0a10 10 0 1 0 20 0a10 10 0 1 0 -20 0\n")
    adaptive = (b"\x0777771\n"
                b"p11000100M36 36h36v36h-36z\n"
                b"p04530102M54 30a24 24 0 1 0 0.1 0z\n")
    seeds = {"vector.bin": vector, "adaptive.bin": adaptive}
    if full:
        line = b"p11000100" + b"M0 0" + b"L48 48L0 48" * 1000 + b"\n"
        seeds["many-paths.bin"] = b"\x0055551\n" + line * ((MAX_INPUT - 16) // len(line))
    return seeds


# --- installer databases --------------------------------------------------------

def msi_strings(strings, long_refs=False):
    """The string pool and data of strings (bytes), numbered from 1; a
    string of 64 KiB or more takes the two-entry form."""
    pool = struct.pack("<HH", 1252, 0x8000 if long_refs else 0)
    for text in strings:
        if len(text) >= 1 << 16:
            pool += struct.pack("<HHHH", 0, 1, len(text) & 0xFFFF, len(text) >> 16)
        else:
            pool += struct.pack("<HH", len(text), 1)
    return pool, b"".join(strings)


def msi_seed(strings, rows, long_refs=False):
    """The fuzz target's input: sizes, pool, data, then the Property table
    of rows (pairs of string numbers), column by column."""
    pool, data = msi_strings(strings, long_refs)
    ref = (lambda n: struct.pack("<I", n)[:3]) if long_refs else (lambda n: struct.pack("<H", n))
    table = b"".join(ref(p) for p, _ in rows) + b"".join(ref(v) for _, v in rows)
    return struct.pack("<II", len(pool), len(data)) + pool + data + table


def msi_seeds(full):
    names = [b"ProductName", b"ARPPRODUCTICON", b"AppIcon.ico", b"Demo"]
    seeds = {"property.bin": msi_seed(names, [(1, 4), (2, 3)]),
             "long-refs.bin": msi_seed(names, [(2, 3)], long_refs=True),
             "big-string.bin": msi_seed([b"ARPPRODUCTICON", b"x" * 70000], [(1, 2)])}
    if full:
        many = [b"p%d" % i for i in range(60000)]
        seeds["many.bin"] = msi_seed(many, [(i, i + 1) for i in range(1, 59999, 2)])
    return seeds


# --- Linux packages ---------------------------------------------------------------

def linux_seeds(full):
    desktop = (b"[Desktop Entry]\nType=Application\nName=Calc\nIcon=calc\nIcon[de]=rechner\n"
               b"[Desktop Action New]\nIcon=new\n")
    rows = [(".\\usr\\share\\applications\\calc.desktop", 120),
            (".\\usr\\share\\icons\\hicolor\\48x48\\apps\\calc.png", 900),
            (".\\usr\\share\\icons\\hicolor\\128x128@2\\apps\\calc.png", 9000),
            (".\\usr\\share\\pixmaps\\calc.png", 500)]
    listing = "----------\r\n" + "".join("Path = %s\r\nFolder = -\r\nSize = %d\r\nMode = -rw-r--r--\r\n"
                                          "Symbolic Link = \r\n\r\n" % row for row in rows)
    listing += "Path = .\\calc.png\r\nSize = 0\r\nMode = lrwxrwxrwx\r\nSymbolic Link = ../../etc/x\r\n\r\n"
    seeds = {"deb.bin": desktop + b"\0" + listing.encode()}
    elf = bytearray(64)
    elf[0:6] = b"\x7fELF\x02\x01"
    struct.pack_into("<QHH", elf, 0x28, 64, 0, 0)
    struct.pack_into("<HH", elf, 0x3A, 64, 1)
    superblock = bytearray(96)
    superblock[0:4] = b"hsqs"
    struct.pack_into("<H", superblock, 28, 4)
    struct.pack_into("<Q", superblock, 40, 96)
    seeds["appimage.bin"] = bytes(elf) + bytes(64) + bytes(superblock)
    if full:
        many = "".join("Path = usr\\share\\icons\\hicolor\\%dx%d\\apps\\calc.png\r\nSize = 1\r\n\r\n" % (i, i)
                       for i in range(1, 12000))
        seeds["many.bin"] = desktop + b"\0" + ("----------\r\n" + many).encode()[:MAX_INPUT - 200]
    return seeds


# --- packages read in one pass ---------------------------------------------------

def package_seeds(full):
    import io
    import tarfile

    def tar_gz(files):
        raw = io.BytesIO()
        with tarfile.open(fileobj=raw, mode="w:gz") as tar:
            for name, data, link in files:
                info = tarfile.TarInfo(name)
                info.size = len(data)
                if link:
                    info.type, info.linkname = tarfile.SYMTYPE, link
                tar.addfile(info, io.BytesIO(data))
        return raw.getvalue()

    def ar(members):
        out = b"!<arch>\n"
        for name, data in members:
            out += b"%-16s%-12d%-6d%-6d%-8s%-10d`\n" % (name, 0, 0, 0, b"100644", len(data)) + data
            out += b"\n" if len(data) % 2 else b""
        return out

    desktop = b"[Desktop Entry]\nType=Application\nIcon=demo\n"
    files = [("./usr/share/applications/demo.desktop", desktop, None),
             ("./usr/share/icons/hicolor/48x48/apps/demo.png", b"\x89PNG\r\n\x1a\n", None),
             ("./usr/share/pixmaps/demo.png", b"", "../icons/hicolor/48x48/apps/demo.png")]
    if full:
        files += [("./usr/share/doc/f%d" % i, b"", None) for i in range(20000)]
    control = tar_gz([("./control", b"Package: demo\nSource: demo\nDepends: demo-data (>= 1)\n", None)])
    seeds = {"deb.bin": ar([(b"debian-binary", b"2.0\n"), (b"control.tar.gz", control), (b"data.tar.gz", tar_gz(files))])}
    # An rpm: the lead, an empty signature header, a main header naming the
    # package and what it requires, then a gzip cpio (newc) payload.
    def header(index, store):
        out = struct.pack(">IIII", 0x8EADE801, 0, len(index), len(store))
        out += b"".join(struct.pack(">IIII", *entry) for entry in index) + store
        return out + b"\0" * (-len(out) % 8)
    cpio = b""
    for name, data in [("./usr/share/applications/demo.desktop", desktop), ("TRAILER!!!", b"")]:
        entry = b"070701" + b"".join(b"%08X" % v for v in (0, 0o100644, 0, 0, 1, 0, len(data), 0, 0, 0, 0, len(name) + 1, 0))
        entry += name.encode() + b"\0"
        cpio += entry + b"\0" * (-len(entry) % 4) + data + b"\0" * (-len(data) % 4)
    store = b"demo\0demo-1.0-1.src.rpm\0demo-data\0"
    lead = b"\xed\xab\xee\xdb\x03\x00" + bytes(90)  # version 3.0, a binary package
    seeds["rpm.bin"] = (lead + header([], b"") + header([(1000, 6, 0, 1), (1044, 6, 5, 1), (1049, 8, 24, 1)], store)
                        + gzip_bytes(cpio))
    return seeds


def squashfs_seeds(full):
    """Images Debian's mksquashfs makes of a small application tree, one per
    compressor the reader knows; the full ones hold 20000 files in one folder."""
    import subprocess
    import tempfile
    seeds = {}
    with tempfile.TemporaryDirectory() as tmp:
        tree = os.path.join(tmp, "tree")
        for path, data in [("usr/share/applications/demo.desktop", b"[Desktop Entry]\nType=Application\nIcon=demo\n"),
                           ("usr/share/icons/hicolor/48x48/apps/demo.png", b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 24),
                           ("meta/gui/icon.png", b"\x89PNG\r\n\x1a\n")]:
            os.makedirs(os.path.dirname(os.path.join(tree, path)), exist_ok=True)
            with open(os.path.join(tree, path), "wb") as f:
                f.write(data)
        os.makedirs(os.path.join(tree, "usr/share/pixmaps"))
        os.symlink("../icons/hicolor/48x48/apps/demo.png", os.path.join(tree, "usr/share/pixmaps/demo.png"))
        if full:
            os.makedirs(os.path.join(tree, "usr/share/icons/hicolor/16x16/apps"))
            for i in range(20000):
                open(os.path.join(tree, "usr/share/icons/hicolor/16x16/apps/f%d.png" % i), "wb").close()
        for comp in ["gzip", "xz", "lz4", "zstd"]:
            image = os.path.join(tmp, comp + ".sqfs")
            subprocess.run(["mksquashfs", tree, image, "-quiet", "-no-progress", "-noappend", "-all-root",
                            "-mkfs-time", "0", "-all-time", "0", "-b", "4096", "-comp", comp],
                           check=True, stdout=subprocess.DEVNULL)
            with open(image, "rb") as f:
                data = f.read()
            used = struct.unpack_from("<Q", data, 40)[0]
            seeds[comp + ".sqfs"] = data[:used]
    return seeds


def gzip_bytes(data):
    import gzip
    return gzip.compress(data, mtime=0)


# --- SVG documents ----------------------------------------------------------------

def svg_seeds(full):
    head = (b"<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
            b"width='48' height='48' viewBox='0 0 48 48'>")
    shapes = (b"<defs><linearGradient id='a' x2='0' y2='1' gradientTransform='rotate(10)'>"
              b"<stop offset='0' stop-color='#3584e4'/><stop offset='1' style='stop-color:#1a5fb4;stop-opacity:.8'/>"
              b"</linearGradient><radialGradient id='b' xlink:href='#a' cx='24' cy='24' r='20' fx='20' "
              b"gradientUnits='userSpaceOnUse' spreadMethod='reflect'/><clipPath id='c'><circle cx='24' cy='24' r='20'/>"
              b"</clipPath><rect id='r' width='4' height='4' rx='1'/></defs>"
              b"<g clip-path='url(#c)' opacity='.9' transform='matrix(1 0 0 1 0 0) skewX(2)'>"
              b"<rect width='48' height='48' fill='url(#a)'/><ellipse cx='24' cy='24' rx='10' ry='6' fill='url(#b)'/>"
              b"<polygon points='4,4 44,4 24,40' fill='none' stroke='white' stroke-width='2' stroke-dasharray='3 1'/>"
              b"<use xlink:href='#r' x='10' y='10' style='fill:currentColor;color:rgb(10%,20%,30%)'/>"
              b"<path d='M4 44 Q24 30 44 44 A10 10 0 0 1 4 44z' fill-rule='evenodd' fill='red'/></g>")
    seeds = {"features.svg": head + shapes + b"</svg>",
             "uses.svg": head + b"<defs><rect id='u0' width='1' height='1'/><g id='u1'><use xlink:href='#u0'/>"
                         b"<use xlink:href='#u0' x='2'/></g><g id='u2'><use xlink:href='#u1'/><use xlink:href='#u1' y='2'/>"
                         b"</g></defs><use xlink:href='#u2'/></svg>",
             "mask.svg": head + b"<defs><mask id='n' maskContentUnits='objectBoundingBox' mask-type='alpha'>"
                         b"<circle cx='.5' cy='.5' r='.4'/></mask><mask id='m' maskUnits='userSpaceOnUse' x='2' y='2' "
                         b"width='44' height='44'><rect width='48' height='48' fill='#808080' mask='url(#n)'/></mask>"
                         b"<image id='i' width='2' height='2' xlink:href='data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAA"
                         b"AAEAAAABCAYAAAAfFcSJAAAADUlEQVR4nGP4z8DwHwAFAAH/iZk9HQAAAABJRU5ErkJggg=='/></defs>"
                         b"<g mask='url(#m)' opacity='.8'><use xlink:href='#i' transform='scale(20)'/>"
                         b"<path d='M4 4H44V44z' fill='context-fill' color='teal'/></g></svg>",
             "filter.svg": head + b"<defs><filter id='f' x='-.2' y='-.2' width='1.4' height='1.4' "
                           b"style='color-interpolation-filters:sRGB'><feFlood flood-color='#000' flood-opacity='.5' "
                           b"result='flood'/><feComposite in='flood' in2='SourceGraphic' operator='in' result='c'/>"
                           b"<feGaussianBlur in='c' stdDeviation='2 1' result='blur'/><feOffset dx='1' dy='2' result='o'/>"
                           b"<feComposite in='SourceGraphic' in2='o' operator='arithmetic' k2='1' k3='.5'/>"
                           b"<feColorMatrix type='saturate' values='.5' result='s'/><feBlend in='s' in2='SourceAlpha'/>"
                           b"<feMerge><feMergeNode in='blur'/><feMergeNode/></feMerge></filter></defs>"
                           b"<clipPath id='c'><rect width='40' height='40'/></clipPath>"
                           b"<rect x='8' y='8' width='32' height='32' rx='4' fill='#e66100' filter='url(#f)' "
                           b"clip-path='url(#c)' transform='rotate(10 24 24)'/></svg>"}
    # Hostile documents: each stands for far more than it holds, through use
    # elements within use elements, and must be refused from its counts,
    # before anything is expanded.
    def fan_out(levels, fan, first):
        groups = b"<defs>" + first
        for level in range(1, levels + 1):
            groups += b"<g id='l%d'>" % level + b"<use xlink:href='#l%d'/>" % (level - 1) * fan + b"</g>"
        return groups + b"</defs>"
    path_steps, stop_count = (20000, 40000) if full else (500, 100)
    seeds["hostile-laughs.svg"] = head + fan_out(8, 10, b"<rect id='l0' width='1' height='1'/>") + \
        b"<use xlink:href='#l8'/></svg>"
    seeds["hostile-path-uses.svg"] = head + fan_out(3, 10, b"<path id='l0' d='M0 0" + b"h1v1" * path_steps + b"'/>") + \
        b"<use xlink:href='#l3'/></svg>"
    seeds["hostile-stops.svg"] = head + fan_out(2, 10, b"<linearGradient id='g'>" + b"<stop offset='.5'/>" * stop_count +
                                                b"</linearGradient><rect id='l0' width='1' height='1' fill='url(#g)'/>") + \
        b"<use xlink:href='#l2'/>" * 100 + b"</svg>"
    seeds["hostile-style-after-uses.svg"] = head + fan_out(8, 10, b"<rect id='l0' width='1' height='1'/>") + \
        b"<use xlink:href='#l8'/>" * 100 + b"<style>rect{fill:red}</style></svg>"
    seeds["hostile-curves.svg"] = head + b"<path d='M0 0" + b"C-9e3 -9e3 9e3 9e3 -9e3 9e3" * (path_steps // 2) + \
        b"'/></svg>"
    if full:
        rect = b"<rect x='1' y='1' width='46' height='46' stroke='black' stroke-width='40' fill='red'/>"
        seeds["many.svg"] = head + rect * ((MAX_INPUT - 200) // len(rect)) + b"</svg>"
    return seeds


# --- macOS apps and browser extensions ------------------------------------------

def mac_web_seeds(full):
    import plistlib
    classic = runs(256, 200) + runs(256, 10) + runs(256, 30)
    seeds = {
        "icon-set.icns": icns([(b"is32", classic), (b"s8mk", bytes(256)), (b"icp4", png_file(16, 16)),
                               (b"ic05", b"ARGB" + runs(1024, 255) * 4), (b"ic10", b"\0\0\0\x0cjP  \r\n\x87\n")]),
        "info.plist": plistlib.dumps({"CFBundleIconFile": "AppIcon", "CFBundleName": "Demo"}),
        "info.bplist": plistlib.dumps({"CFBundleIconFile": "AppIcon", "CFBundleIconName": "Icon \u56fe"},
                                      fmt=plistlib.FMT_BINARY),
        "manifest.json": b'{"icons":{"16":"a.png","128":"/b.png"},"action":{"default_icon":{"32":"c.svg"}}}',
    }
    if full:
        seeds["big.icns"] = icns([(b"it32", b"\0\0\0\0" + runs(128 * 128, 1) * 3)] * 60)
    return seeds


# --- ZIP directories ----------------------------------------------------------------

def zip_seeds(full):
    import io
    import zipfile
    seeds = {}
    for name, force64 in (("plain.zip", False), ("zip64.zip", True)):
        buf = io.BytesIO()
        with zipfile.ZipFile(buf, "w", allowZip64=True) as z:
            z.comment = b"PK\x05\x06 a comment"
            for i in range(3):
                with z.open("res/mipmap-xxhdpi-v4/icon%d.png" % i, "w", force_zip64=force64) as f:
                    f.write(b"\x89PNG" * 10)
        seeds[name] = buf.getvalue()
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("manifest.json", b'{"icons":{"48":"icon.svg"}}')
        z.writestr("icon.svg", b"<svg xmlns='http://www.w3.org/2000/svg'>" + b" " * 2000 + b"</svg>")
    seeds["deflated.zip"] = buf.getvalue()
    if full:
        buf = io.BytesIO()
        with zipfile.ZipFile(buf, "w") as z:
            for i in range(9000):
                z.writestr("r/%d" % i, b"")
        seeds["many.zip"] = buf.getvalue()[:MAX_INPUT]
    return seeds


# --- XPM images and gzip data ---------------------------------------------------

def xpm(header, colours, rows, comment=b""):
    """An XPM file in its C form: header, colour lines and rows as strings."""
    strings = [header] + colours + rows
    return (b"/* XPM */\nstatic char * icon_xpm[] = {\n" + comment +
            b",\n".join(b'"' + s + b'"' for s in strings) + b"};\n")


def xpm_seeds(full):
    seeds = {
        "one-char.xpm": xpm(b"4 2 3 1 0 0", [b"  c None", b". c #F00", b"x c #00ff80"], [b" .x.", b"x.. "],
                            comment=b"/* columns rows colors chars-per-pixel */\n"),
        "two-chars.xpm": xpm(b"2 2 3 2", [b"aa c #123456789ABC", b"b  c light grey m white",
                                          b"cc s mask c NONE"], [b"aab ", b"ccaa"]),
        "four-chars.xpm": xpm(b"2 1 2 4 XPMEXT", [b"AAAA g4 #000", b"AAAB m DarkSlateGray"], [b"AAABAAAA"]),
    }
    if full:
        # The largest image whose text still fits a fuzz input, and a colour
        # table near the limit.
        side = 1000
        seeds["large.xpm"] = xpm(b"%d %d 2 1" % (side, side), [b". c red", b"# c None"],
                                 [b".#" * (side // 2)] * side)
        count = 40000
        codes = [b"%04x" % i for i in range(count)]
        seeds["many-colours.xpm"] = xpm(b"200 1 %d 4" % count, [c + b" c #%s" % c[1:] for c in codes],
                                        [b"".join(codes[:200])])
    return seeds


def gzip_seeds(full):
    import gzip
    svg = b"<svg xmlns='http://www.w3.org/2000/svg' width='48' height='48'><rect width='48' height='48'/></svg>"
    named = gzip.compress(svg, mtime=0)
    # The same member with a file name (FNAME) and a header CRC (FHCRC), as
    # gzip -N and some editors write them.
    flags = bytes([named[3] | 0x08 | 0x02])
    header = named[:3] + flags + named[4:10] + b"icon.svg\0"
    header += struct.pack("<H", zlib.crc32(header) & 0xFFFF)
    seeds = {
        "svg.svgz": named,
        "named.svgz": header + named[10:],
        "empty.gz": gzip.compress(b"", mtime=0),
        "zeros.gz": gzip.compress(bytes(1 << 20), mtime=0),
    }
    if full:
        # A bomb: 256 MiB of zeros in a quarter of a megabyte, made in
        # pieces so the zeros are never held whole.
        packer = zlib.compressobj(9, zlib.DEFLATED, 16 + zlib.MAX_WBITS)
        chunk = bytes(1 << 20)
        seeds["bomb.gz"] = b"".join(packer.compress(chunk) for _ in range(256)) + packer.flush()
    return seeds


# --- JPEG 2000 images ----------------------------------------------------------------

def opj(width, height, planes, bits=8, signed=False, steps=None, jp2=False):
    """A lossless codestream (or JP2 file) of the planes, one list of samples
    a component, by Debian's opj_compress (libopenjp2-tools) from raw input;
    steps: each component's subsampling."""
    import subprocess
    import tempfile
    code = ("h" if signed else "H") if bits > 8 else ("b" if signed else "B")
    steps = steps or [(1, 1)] * len(planes)
    with tempfile.TemporaryDirectory() as work:
        raw, out = os.path.join(work, "in.raw"), os.path.join(work, "out." + ("jp2" if jp2 else "j2k"))
        with open(raw, "wb") as f:
            f.write(b"".join(struct.pack(">%d%s" % (len(p), code), *p) for p in planes))
        form = "%d,%d,%d,%d,%s@%s" % (width, height, len(planes), bits, "us"[signed],
                                      ":".join("%dx%d" % s for s in steps))
        subprocess.run(["opj_compress", "-i", raw, "-o", out, "-F", form, "-n", "2"], check=True,
                       stdout=subprocess.DEVNULL)
        with open(out, "rb") as f:
            return f.read()


def plane(first, count, step=37, top=255):
    """A component's samples: first, then a spread of values."""
    return [first] + [(i * step) % (top + 1) for i in range(1, count)]


def with_siz(codestream, width, height, tile):
    """The codestream with its SIZ segment's image and tile sizes replaced."""
    return codestream[:8] + struct.pack(">IIIIII", width, height, 0, 0, tile, tile) + codestream[32:]


def jpeg2000_seeds(full):
    grey = opj(8, 8, [plane(0x30, 64)])
    rgba = opj(8, 8, [plane(v, 64) for v in (10, 20, 30, 40)], jp2=True)
    jp2h = rgba.index(b"jp2h") - 4
    seeds = {
        "grey.j2k": grey,
        "grey-alpha.jp2": opj(8, 8, [plane(0x40, 64), plane(0x80, 64)], jp2=True),
        "rgb16.j2k": opj(8, 8, [plane(v, 64, 4099, 65535) for v in (0xFFFF, 0x8000, 0)], bits=16),
        "rgba.jp2": rgba,
        "signed.j2k": opj(8, 8, [[-64] + [(i * 37) % 256 - 128 for i in range(1, 64)]], signed=True),
        "subsampled.j2k": opj(8, 8, [plane(1, 64), plane(2, 16), plane(3, 16)], steps=[(1, 1), (2, 2), (2, 2)]),
        # Headers that lie: 60000 x 60000 pixels, a million one-pixel tiles,
        # a header box longer than the file.
        "huge.j2k": with_siz(grey, 60000, 60000, 60000),
        "fine-tiles.j2k": with_siz(grey, 1024, 1024, 1),
        "lying-box.jp2": rgba[:jp2h] + struct.pack(">I", 0x7FFFFFFF) + rgba[jp2h + 4:],
    }
    if full:
        # The largest image allowed, as smooth gradients that code small.
        side = 1024
        seeds["large.jp2"] = opj(side, side, [[(x * (c + 1) + y) % 256 for y in range(side) for x in range(side)]
                                              for c in range(4)], jp2=True)
    return seeds


TARGETS = {
    "exe_shortcut": exe_seeds,
    "cgbi": cgbi_seeds,
    "png_decode": png_seeds,
    "ico_decode": ico_seeds,
    "image_probe": probe_seeds,
    "apk_listing": apk_seeds,
    "ipa_listing": ipa_listing_seeds,
    "android_drawable": drawable_seeds,
    "resource_values": resource_seeds,
    "path_data": path_data_seeds,
    "drawable": render_seeds,
    "msi": msi_seeds,
    "linux": linux_seeds,
    "package_pass": package_seeds,
    "squashfs": squashfs_seeds,
    "svg": svg_seeds,
    "mac_web": mac_web_seeds,
    "zip_directory": zip_seeds,
    "xpm": xpm_seeds,
    "gzip": gzip_seeds,
    "jpeg2000": jpeg2000_seeds,
}


def main(out, full):
    for target, make in TARGETS.items():
        folder = os.path.join(out, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in make(full).items():
            assert len(data) <= MAX_INPUT, (target, name, len(data))
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3) or (len(sys.argv) == 3 and sys.argv[2] != "--full"):
        sys.exit(__doc__)
    main(sys.argv[1], len(sys.argv) == 3)
