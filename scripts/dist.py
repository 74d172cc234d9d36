#!/usr/bin/env python3
"""The release zip and its third-party notices.

  dist.py          build/dist/Tessaroo-<version>-win64.zip: both programs, README.txt
                   (README.md's opening and user section as plain text)
                   and THIRD-PARTY-NOTICES.txt (CRLF); lists the zip, checks it; and
                   build/dist/Tessaroo-<version>-sources.zip: the pinned source tarballs
                   (with Debian's patches) of the components under the LGPL or the MPL.
  dist.py check    the notices table against scripts/thirdparty.lock and the link
                   maps of both programs; writes and checks the notices file.

COMPONENTS is the one table of what the programs carry or link. A licence source is
  src:<lock path>:<file>   a file of a pinned Debian source tarball (top folder
                           left out; debian/... from the Debian tarball)
  npm:<package>:<file>     a file of a pinned npm package
  doc:<Debian package>     /usr/share/doc/<package>/copyright of an installed package
  common:<name>            /usr/share/common-licenses/<name> (Debian's base-files),
                           the copy Debian's copyright files point to
  repo:<path>              a text kept in the repo, pinned by a `licence` lock line
A link pattern is <Debian package>:<file> or deps:<file> (build/deps/win), matched
against every archive and runtime object in the link maps; a row marked runtime
must match at least one. A component under the LGPL or the MPL states where its
source is (`corresponding`); its pinned tarballs (`sources`) go into the source zip.
"""
import fnmatch
import hashlib
import itertools
import os
import re
import subprocess
import sys
import tarfile
import unicodedata
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LOCK = os.path.join(ROOT, "scripts", "thirdparty.lock")
DEPS = os.path.join(ROOT, "build", "deps")
WIN = os.path.join(ROOT, "build", "win")
DIST = os.path.join(ROOT, "build", "dist")
PROGRAMS = ["Tessaroo.exe", "tessaroo-cli.exe"]

SEVENZIP_ORIG = "debian-security/pool/updates/main/7/7zip/7zip_22.01+really26.02+dfsg.orig.tar.xz"
SEVENZIP_DEB = "debian-security/pool/updates/main/7/7zip/7zip_22.01+really26.02+dfsg-0+deb12u1.debian.tar.xz"
UNZIP_ORIG = "debian/pool/main/u/unzip/unzip_6.0.orig.tar.gz"
UNZIP_DEB = "debian-security/pool/updates/main/u/unzip/unzip_6.0-28+deb12u1.debian.tar.xz"
ZLIB_ORIG = "debian/pool/main/z/zlib/zlib_1.2.13.dfsg.orig.tar.bz2"
PNG_ORIG = "debian/pool/main/libp/libpng1.6/libpng1.6_1.6.39.orig.tar.gz"
PCRE2_ORIG = "debian/pool/main/p/pcre2/pcre2_10.42.orig.tar.gz"
EXPAT_ORIG = "debian/pool/main/e/expat/expat_2.5.0.orig.tar.gz"
EXPAT_DEB = "debian-security/pool/updates/main/e/expat/expat_2.5.0-1+deb12u3.debian.tar.xz"
PIXMAN_ORIG = "debian/pool/main/p/pixman/pixman_0.42.2.orig.tar.gz"
CAIRO_ORIG = "debian/pool/main/c/cairo/cairo_1.16.0.orig.tar.xz"
CAIRO_DEB = "debian/pool/main/c/cairo/cairo_1.16.0-7.debian.tar.xz"
BZIP2_ORIG = "debian/pool/main/b/bzip2/bzip2_1.0.8.orig.tar.gz"
BZIP2_DEB = "debian/pool/main/b/bzip2/bzip2_1.0.8-5.debian.tar.bz2"
XZ_ORIG = "debian/pool/main/x/xz-utils/xz-utils_5.4.1.orig.tar.xz"
XZ_DEB = "debian-security/pool/updates/main/x/xz-utils/xz-utils_5.4.1-1+deb12u2.debian.tar.xz"
ZSTD_ORIG = "debian/pool/main/libz/libzstd/libzstd_1.5.4+dfsg2.orig.tar.xz"
ZSTD_DEB = "debian/pool/main/libz/libzstd/libzstd_1.5.4+dfsg2-5.debian.tar.xz"
LIBARCHIVE_ORIG = "debian/pool/main/liba/libarchive/libarchive_3.6.2.orig.tar.xz"
LIBARCHIVE_DEB = "debian-security/pool/updates/main/liba/libarchive/libarchive_3.6.2-1+deb12u5.debian.tar.xz"
LZ4_ORIG = "debian/pool/main/l/lz4/lz4_1.9.4.orig.tar.gz"
LZ4_DEB = "debian/pool/main/l/lz4/lz4_1.9.4-1.debian.tar.xz"
OPENJPEG_ORIG = "debian/pool/main/o/openjpeg2/openjpeg2_2.5.0.orig.tar.xz"
OPENJPEG_DEB = "debian/pool/main/o/openjpeg2/openjpeg2_2.5.0-2+deb12u3.debian.tar.xz"
# Notepad before Windows 10 1903 reads a text file without it in the ANSI code page.
BOM = "\ufeff"
TOOL = "embedded tool: carried inside both programs and written beside them at start as "
STATIC = "statically linked into both programs"

COMPONENTS = [
    dict(title="aapt, the Android packaging tool", version="v0.2-eng.ibotpe.20160916.224838",
         source="npm package aaptjs@1.3.2 (bin/win32/aapt.exe); the package carries no licence text",
         carried=TOOL + "pt.exe",
         note="The Android Open Source Project's NOTICE (with the Apache License 2.0 in full) is "
              "taken from its frameworks/base tree. By its version strings the program also holds "
              "libpng 1.6.22beta03, zlib 1.2.8 and expat 2.1.1, linked in by its own build, and its "
              "own runtime: GCC 4.8.3's libgcc and libstdc++ (GPL 3 with the GCC Runtime Library "
              "Exception, whose texts are given below under the GCC runtime library) and the "
              "mingw-w64 runtime (its copyright file is given below). The licence texts of those "
              "exact library versions could not be had here (only Debian's and npm's registries "
              "are reachable, and neither holds them); the texts of later releases are given below "
              "under libpng (whose licence was reworded in 1.6.36), zlib and Expat (MIT).",
         lock=["npm aaptjs@1.3.2"], licences=["repo:dist/licences/aosp-frameworks-base-NOTICE.txt"]),
    dict(title="7-Zip (7zz, the console version with every format)", version="26.02, Debian 22.01+really26.02+dfsg-0+deb12u1",
         source="Debian source package 7zip, with Debian's patches",
         carried=TOOL + "za.exe; cross-built with mingw-w64, statically linked",
         note="Debian's +dfsg source leaves out the RAR code (CPP/7zip/Compress/Rar*, under the "
              "unRAR licence restriction), so the program opens no RAR archive. The GNU LGPL 2.1 "
              "follows the licence text.",
         lock=["deb " + SEVENZIP_ORIG, "deb " + SEVENZIP_DEB],
         corresponding="7zip_22.01+really26.02+dfsg.orig.tar.xz with Debian's "
                       "7zip_22.01+really26.02+dfsg-0+deb12u1.debian.tar.xz (the patches applied), in "
                       "Tessaroo-@VERSION@-sources.zip beside the release zip, and at "
                       "https://deb.debian.org/debian-security/pool/updates/main/7/7zip/",
         sources=[SEVENZIP_ORIG, SEVENZIP_DEB],
         licences=["src:%s:DOC/License.txt" % SEVENZIP_ORIG, "src:%s:debian/copyright" % SEVENZIP_DEB,
                   "common:LGPL-2.1"]),
    dict(title="libwebp (dwebp, the WebP decoder)", version="1.6.0",
         source="npm package webp-converter@3.0.1 (bin/libwebp_win64/bin/dwebp.exe); the package's "
                "LICENSE covers only its own code, and its bin/version_info.txt still says 1.1.0",
         carried=TOOL + "dwebp.exe",
         note="COPYING and PATENTS as in Debian's libwebp 1.6.0 source (identical in 1.2.4).",
         lock=["npm webp-converter@3.0.1"],
         licences=["repo:dist/licences/libwebp-1.6.0-COPYING", "repo:dist/licences/libwebp-1.6.0-PATENTS"]),
    dict(title="UnZip (Info-ZIP)", version="6.0, Debian 6.0-28+deb12u1",
         source="Debian source package unzip, with Debian's patches",
         carried=TOOL + "uz.exe; cross-built with mingw-w64, statically linked",
         note="This is an altered version of UnZip: Debian's patches are applied and a UTF-8 "
              "manifest is added to its resources (scripts/thirdparty.sh, in the sources zip); "
              "its version resource says so (PrivateBuild).",
         lock=["deb " + UNZIP_ORIG, "deb " + UNZIP_DEB],
         licences=["src:%s:LICENSE" % UNZIP_ORIG, "src:%s:debian/copyright" % UNZIP_DEB]),
    dict(title="zlib with minizip", version="1.2.13",
         source="Debian source package zlib (1.2.13.dfsg)",
         carried=TOOL + "zlibwapi.dll; cross-built with mingw-w64",
         lock=["deb " + ZLIB_ORIG], licences=["src:%s:LICENSE" % ZLIB_ORIG]),
    dict(title="zlib", version="1.2.13, Debian 1.2.13+dfsg-1",
         source="Debian package libz-mingw-w64-dev (libz.a)", carried=STATIC + " (under libpng)",
         links=["libz-mingw-w64-dev:*"], licences=["doc:libz-mingw-w64-dev"]),
    dict(title="libpng", version="1.6.39", source="Debian source package libpng1.6",
         carried=STATIC + "; cross-built", lock=["deb " + PNG_ORIG],
         links=["deps:libpng16.a", "deps:libpng.a"], licences=["src:%s:LICENSE" % PNG_ORIG]),
    dict(title="PCRE2 (16-bit library)", version="10.42", source="Debian source package pcre2",
         carried=STATIC + "; cross-built", lock=["deb " + PCRE2_ORIG],
         links=["deps:libpcre2-16.a"], licences=["src:%s:LICENCE" % PCRE2_ORIG]),
    dict(title="Expat, the XML parser", version="2.5.0, Debian 2.5.0-1+deb12u3",
         source="Debian source package expat, with Debian's patches",
         carried=STATIC + "; cross-built", lock=["deb " + EXPAT_ORIG, "deb " + EXPAT_DEB],
         links=["deps:libexpat.a"],
         licences=["src:%s:expat/COPYING" % EXPAT_ORIG, "src:%s:debian/copyright" % EXPAT_DEB]),
    dict(title="pixman", version="0.42.2", source="Debian source package pixman",
         carried=STATIC + " (under cairo); cross-built", lock=["deb " + PIXMAN_ORIG],
         links=["deps:libpixman-1.a"], licences=["src:%s:COPYING" % PIXMAN_ORIG]),
    dict(title="cairo, the anti-aliasing rasterizer", version="1.16.0, Debian 1.16.0-7",
         source="Debian source package cairo", carried=STATIC + "; cross-built",
         note="Used under the Mozilla Public License 1.1, one of the two licences cairo offers.",
         lock=["deb " + CAIRO_ORIG, "deb " + CAIRO_DEB], links=["deps:libcairo.a"],
         corresponding="cairo_1.16.0.orig.tar.xz with Debian's cairo_1.16.0-7.debian.tar.xz (the "
                       "patches applied), in Tessaroo-@VERSION@-sources.zip beside the release zip, "
                       "and at https://deb.debian.org/debian/pool/main/c/cairo/",
         sources=[CAIRO_ORIG, CAIRO_DEB],
         licences=["src:%s:COPYING" % CAIRO_ORIG, "src:%s:COPYING-MPL-1.1" % CAIRO_ORIG,
                   "src:%s:debian/copyright" % CAIRO_DEB]),
    dict(title="libarchive, the package reader", version="3.6.2, Debian 3.6.2-1+deb12u5",
         source="Debian source package libarchive, with Debian's security patches",
         carried=STATIC + "; cross-built (reading only: ar, tar, cpio, rpm)",
         lock=["deb " + LIBARCHIVE_ORIG, "deb " + LIBARCHIVE_DEB], links=["deps:libarchive_static.a"],
         licences=["src:%s:COPYING" % LIBARCHIVE_ORIG]),
    dict(title="liblzma (XZ Utils)", version="5.4.1, Debian 5.4.1-1+deb12u2",
         source="Debian source package xz-utils, with Debian's patches",
         carried=STATIC + " (under libarchive and the SquashFS reader); cross-built, the library alone",
         note="liblzma is in the public domain; COPYING says so and names the licences of the "
              "parts of XZ Utils that are not built here.",
         lock=["deb " + XZ_ORIG, "deb " + XZ_DEB], links=["deps:liblzma.a"], licences=["src:%s:COPYING" % XZ_ORIG]),
    dict(title="Zstandard (libzstd)", version="1.5.4, Debian 1.5.4+dfsg2-5",
         source="Debian source package libzstd, with Debian's patches",
         carried=STATIC + " (under libarchive and the SquashFS reader); cross-built",
         note="Used under the BSD licence, one of the two licences Zstandard offers.",
         lock=["deb " + ZSTD_ORIG, "deb " + ZSTD_DEB], links=["deps:libzstd.a"], licences=["src:%s:LICENSE" % ZSTD_ORIG]),
    dict(title="LZ4 (its block decoder)", version="1.9.4, Debian 1.9.4-1",
         source="Debian source package lz4, with Debian's patches",
         carried=STATIC + " (the SquashFS reader); cross-built, lib/lz4.c alone",
         note="The library in lib/ is under the BSD 2-clause licence (lib/LICENSE); the command-line "
              "program, under the GPL, is not built.",
         lock=["deb " + LZ4_ORIG, "deb " + LZ4_DEB], links=["deps:liblz4.a"], licences=["src:%s:lib/LICENSE" % LZ4_ORIG]),
    dict(title="bzip2 (libbz2)", version="1.0.8, Debian 1.0.8-5", source="Debian source package bzip2, with Debian's patches",
         carried=STATIC + " (under libarchive); cross-built, the library alone",
         lock=["deb " + BZIP2_ORIG, "deb " + BZIP2_DEB], links=["deps:libbz2.a"], licences=["src:%s:LICENSE" % BZIP2_ORIG]),
    dict(title="OpenJPEG, the JPEG 2000 decoder", version="2.5.0, Debian 2.5.0-2+deb12u3",
         source="Debian source package openjpeg2, with Debian's patches",
         carried=STATIC + "; cross-built (the library alone)",
         lock=["deb " + OPENJPEG_ORIG, "deb " + OPENJPEG_DEB], links=["deps:libopenjp2.a"],
         licences=["src:%s:LICENSE" % OPENJPEG_ORIG, "src:%s:debian/copyright" % OPENJPEG_DEB]),
    dict(title="X11 colour names (rgb.txt)", version="deb:x11-common",
         source="Debian package x11-common (/usr/share/X11/rgb.txt)",
         carried="compiled into both programs as a table of colour names and values, read from "
                 "rgb.txt at build time by scripts/make_x11_colours.py (the XPM reader)",
         note="The copyright file of x11-common is the licence Debian ships with rgb.txt: "
              "X11 (MIT-style) terms; its GPL part covers Debian's packaging scripts, which "
              "are not used.",
         licences=["doc:x11-common"]),
    dict(title="mingw-w64 runtime (CRT start-up code, C library additions, import libraries)",
         version="deb:mingw-w64-x86-64-dev", source="Debian package mingw-w64-x86-64-dev",
         carried=STATIC + ", and into za.exe, uz.exe and zlibwapi.dll",
         links=["mingw-w64-x86-64-dev:*"], runtime=True, licences=["doc:mingw-w64-x86-64-dev"]),
    dict(title="winpthreads (mingw-w64)", version="deb:mingw-w64-x86-64-dev",
         source="Debian package mingw-w64-x86-64-dev (libwinpthread.a)",
         carried=STATIC + " (the C++ runtime's threads and locks), as libpthread.a, and into za.exe "
                 "(7-Zip is built with the -posix compilers)",
         links=["mingw-w64-x86-64-dev:lib*pthread.a"], runtime=True, licences=["doc:mingw-w64-x86-64-dev"]),
    dict(title="GCC runtime library (libgcc)", version="deb:gcc-mingw-w64-x86-64-posix",
         source="Debian package gcc-mingw-w64-x86-64-posix (libgcc.a, libgcc_eh.a, crtbegin.o, crtend.o)",
         carried=STATIC + " (-static-libgcc), and into za.exe; uz.exe and zlibwapi.dll hold the same library of the "
                 "toolchain's default, win32-threads variant (gcc-mingw-w64-x86-64-win32, same version "
                 "and copyright file)",
         note="GPL 3 with the GCC Runtime Library Exception: the exception is in the copyright file, "
              "the GPL 3 follows it.",
         links=["gcc-mingw-w64-x86-64-posix:*"], runtime=True,
         licences=["doc:gcc-mingw-w64-x86-64-posix", "common:GPL-3"]),
    dict(title="GNU C++ library (libstdc++)", version="deb:g++-mingw-w64-x86-64-posix",
         source="Debian package g++-mingw-w64-x86-64-posix (libstdc++.a)",
         carried=STATIC + " (-static-libstdc++), and into za.exe (7-Zip is C++)",
         note="GPL 3 with the GCC Runtime Library Exception, as for libgcc.",
         links=["g++-mingw-w64-x86-64-posix:*"], runtime=True,
         licences=["doc:g++-mingw-w64-x86-64-posix", "common:GPL-3"]),
]

# What the sources zip carries of the build beside the sources: the script
# that fetches, patches and cross-builds every component with its flags, the
# pins, the toolchain file, and UnZip's added manifest.
BUILD_SCRIPTS = ["scripts/thirdparty.sh", "scripts/thirdparty.lock", "cmake/mingw-w64.cmake", "scripts/uz.manifest"]

# Lock lines that only the tests use: never carried, so not in the notices.
TEST_MATERIAL = {"npm cgbi-to-png@1.0.7": "crushed iOS PNG sample for the tests",
                 "npm io.appium.settings@8.0.10": "a real Android package for the tests"}


def fail(message):
    sys.exit("dist: " + message)


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def read_lock():
    """{"kind name": sha256} for every line of the lock."""
    lines = {}
    for line in open(LOCK, encoding="utf-8"):
        fields = line.split()
        if fields and not fields[0].startswith("#"):
            lines[fields[0] + " " + fields[1]] = fields[2]
    return lines


def deb_tarball(lock, path):
    """A pinned Debian tarball, fetched by thirdparty.sh when missing, checked here too."""
    file = os.path.join(DEPS, "dl", os.path.basename(path))
    want = lock.get("deb " + path) or fail("%s has no lock line" % path)
    if not os.path.exists(file) or sha256(file) != want:
        subprocess.run(["bash", os.path.join(ROOT, "scripts", "thirdparty.sh"), "fetch", path], check=True)
    if sha256(file) != want:
        fail("checksum mismatch for " + file)
    return file


def tar_member(tarball, name):
    """A member by its path below the top folder (Debian tarballs have none)."""
    with tarfile.open(tarball) as tar:
        for member in tar:
            if member.isfile() and (member.name == name or member.name.split("/", 1)[-1] == name):
                return tar.extractfile(member).read()
    return b""


def deb_version(package):
    out = subprocess.run(["dpkg-query", "-W", "-f=${Version}", package], capture_output=True, text=True)
    return out.stdout.strip() or fail("Debian package %s is not installed" % package)


_texts = {}


def licence_text(lock, source):
    """(where it came from, text) for one licence source, read once."""
    if source not in _texts:
        try:
            _texts[source] = read_licence(lock, source)
        except OSError as error:
            fail("licence %s: %s" % (source, error))
    return _texts[source]


def read_licence(lock, source):
    kind, _, rest = source.partition(":")
    if kind == "src":
        path, _, name = rest.partition(":")
        return "%s, %s" % (os.path.basename(path), name), tar_member(deb_tarball(lock, path), name).decode("utf-8", "replace")
    if kind == "npm":
        package, _, name = rest.partition(":")
        with open(os.path.join(DEPS, "npm", package, name), encoding="utf-8") as f:
            return "npm %s, %s" % (package, name), f.read()
    if kind == "doc":
        with open("/usr/share/doc/%s/copyright" % rest, encoding="utf-8") as f:
            return "Debian package %s %s, copyright" % (rest, deb_version(rest)), f.read()
    if kind == "common":
        with open("/usr/share/common-licenses/" + rest, encoding="utf-8") as f:
            return "Debian package base-files %s, common-licenses/%s" % (deb_version("base-files"), rest), f.read()
    if kind == "repo":
        file = os.path.join(ROOT, rest)
        if lock.get("licence " + rest) != sha256(file):
            fail("%s does not match its licence line in the lock" % rest)
        with open(file, encoding="utf-8") as f:
            return rest, f.read()
    fail("unknown licence source " + source)


def version_of(component):
    version = component["version"]
    return deb_version(version[4:]) if version.startswith("deb:") else version


def section_heading(component):
    return "== %s %s ==" % (component["title"], version_of(component))


def render_notices(lock):
    out = ["Third-party software in Tessaroo", "",
           "Tessaroo carries the tools and links the libraries below. Each section says where the",
           "component came from, its version, how it is carried, and its licence texts as found in",
           "the package it came from. A text that several components share is given once.", "",
           "Written offer: the complete corresponding source of every component whose licence asks",
           "for it (each names it under Source), with the scripts and flags it was built with, is in",
           "Tessaroo-%s-sources.zip beside the release. For at least three years after you received" % project_version(),
           "this release, anyone may ask the Tessaroo developers, where the release was published, for",
           "that source; it is given for no more than the cost of passing it on.", ""]
    shown = {}
    for component in COMPONENTS:
        out += [section_heading(component), "",
                "From:     " + component["source"],
                "Carried:  " + component["carried"]]
        if component.get("note"):
            out.append("Note:     " + component["note"])
        if component.get("corresponding"):
            out.append("Source:   " + component["corresponding"].replace("@VERSION@", project_version()))
        for source in component["licences"]:
            where, text = licence_text(lock, source)
            if text in shown:
                out += ["", "-- Licence: %s: the same text as given above under %s --" % (where, shown[text])]
                continue
            shown[text] = component["title"]
            out += ["", "-- Licence: %s --" % where, ""] + text.replace("\r\n", "\n").rstrip("\n").split("\n") + [""]
        out.append("")
    return BOM + "\r\n".join(out) + "\r\n"


def linked_inputs(map_file):
    """Every archive and runtime object outside build/win the linker took, by real path."""
    if not os.path.exists(map_file):
        fail("%s is missing: build first (scripts/build.sh)" % map_file)
    text = open(map_file, encoding="utf-8", errors="replace").read()
    archives = re.findall(r"^(\S+\.a)\(", text, re.M)
    objects = re.findall(r"^LOAD (\S+\.o)$", text, re.M)
    paths = {os.path.realpath(os.path.join(WIN, p)) for p in archives + objects}
    return {p for p in paths if not p.startswith(os.path.realpath(WIN) + os.sep)}


def link_names(paths):
    """{path: '<Debian package>:<file>' or 'deps:<file>'} for the linked inputs."""
    deps = os.path.realpath(os.path.join(DEPS, "win"))
    system = sorted(p for p in paths if not p.startswith(deps))
    owners = {}
    out = subprocess.run(["dpkg", "-S"] + system, capture_output=True, text=True).stdout if system else ""
    for line in out.splitlines():
        package, _, path = line.partition(": ")
        owners[path.strip()] = package.split(":")[0]
    return {p: ("deps" if p.startswith(deps) else owners.get(p, "unknown")) + ":" + os.path.basename(p)
            for p in paths}


def check(lock):
    problems = []
    claimed = [line for c in COMPONENTS for line in c.get("lock", [])] + list(TEST_MATERIAL)
    for line in lock:
        kind = line.split()[0]
        if kind == "licence":
            if not any(s == "repo:" + line.split()[1] for c in COMPONENTS for s in c["licences"]):
                problems.append("lock line '%s' is named by no component" % line)
        elif line not in claimed:
            problems.append("lock line '%s' is neither in the notices table nor test material" % line)
    problems += ["table names '%s', which the lock lacks" % line for line in claimed if line not in lock]
    linked = set()
    for program in PROGRAMS:
        inputs = linked_inputs(os.path.join(WIN, os.path.splitext(program)[0] + ".map"))
        for path, name in sorted(link_names(inputs).items()):
            linked.add(name)
            if not any(fnmatch.fnmatch(name, p) for c in COMPONENTS for p in c.get("links", [])):
                problems.append("%s links %s (%s), which has no notice" % (program, path, name))
    # The runtimes every program of this toolchain links: read from the maps,
    # so a map that shows none of them means the reading broke.
    problems += ["no link map shows %s" % c["title"] for c in COMPONENTS if c.get("runtime")
                 and not any(fnmatch.fnmatch(n, p) for n in linked for p in c["links"])]
    for component in COMPONENTS:
        copyleft = any(("LGPL" in source or "MPL" in source) for source in component["licences"])
        if copyleft and not component.get("corresponding"):
            problems.append("%s is under the LGPL or the MPL and names no source" % component["title"])
        for source in component["licences"]:
            if not licence_text(lock, source)[1].strip():
                problems.append("licence %s of %s is missing or empty" % (source, component["title"]))
    os.makedirs(DIST, exist_ok=True)
    notices_file = os.path.join(DIST, "THIRD-PARTY-NOTICES.txt")
    with open(notices_file, "w", encoding="utf-8", newline="") as f:
        f.write(render_notices(lock))
    written = open(notices_file, encoding="utf-8", newline="").read().split("\r\n")
    problems += ["the notices have no section for " + c["title"] for c in COMPONENTS
                 if section_heading(c) not in written]
    if problems:
        fail("notices check failed:\n  " + "\n  ".join(problems))
    print("dist: notices cover %d lock lines, the links of %s, %d components"
          % (len(lock), " and ".join(PROGRAMS), len(COMPONENTS)))
    return notices_file


def project_version():
    text = open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8").read()
    found = re.search(r"project\(Tessaroo VERSION (\d+\.\d+\.\d+)", text)
    return found.group(1) if found else fail("no version in CMakeLists.txt")


USER_HEADING = "## Using Tessaroo"
WIDEST = 78


def columns(text):
    """Columns a line takes on a console: Chinese characters take two."""
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def wrap(text, width):
    """Words filled greedily into lines of at most width columns."""
    lines = [""]
    for word in text.split():
        if lines[-1] and columns(lines[-1] + " " + word) > width:
            lines.append(word)
        else:
            lines[-1] = (lines[-1] + " " + word).lstrip()
    return lines


def plain(text):
    """Markdown's inline markup taken off: links, code spans, bold."""
    return re.sub(r"\[([^]]*)\]\([^)]*\)", r"\1", text).replace("`", "").replace("**", "")


def render_table(rows):
    """Two aligned columns, each wrapped; the header row is left out."""
    cells = [[plain(c.strip()) for c in row.strip().strip("|").split("|")] for row in rows[2:]]
    if any(len(row) != 2 for row in cells):
        fail("README.md: a table of the release's README has other than two columns")
    left = min(max(columns(name) for name, _ in cells), 24)
    out = []
    for name, text in cells:
        for a, b in itertools.zip_longest(wrap(name, left), wrap(text, WIDEST - left - 4), fillvalue=""):
            out.append(("  " + a + " " * (left - columns(a)) + "  " + b).rstrip())
    return out


def render_markdown(lines, title):
    """Headings underlined, tables aligned, code kept, paragraphs rewrapped."""
    out, blocks = [], re.split(r"\n\s*\n", "\n".join(lines).strip("\n"))
    for block in [b.split("\n") for b in blocks]:
        if block[0].startswith("#"):
            level, _, text = block[0].partition(" ")
            text = title if not out else plain(text)
            out += ([""] if out else []) + [text, ("-" if level == "###" else "=") * columns(text)]
        elif block[0].startswith("|"):
            out += render_table(block)
        elif block[0].startswith("    "):
            out += ["  " + line[4:] for line in block]
        else:
            out += wrap(plain(" ".join(block)), 76)
        out.append("")
    return out


def readme(version):
    """README.txt: README.md's opening and its user section, as plain text."""
    lines = open(os.path.join(ROOT, "README.md"), encoding="utf-8").read().replace("<version>", version).split("\n")
    heads = [i for i, line in enumerate(lines) if line.startswith("## ")]
    if not lines[0].startswith("# ") or not heads or not any(line.startswith("|") for line in lines[:heads[0]]):
        fail("README.md does not open with its title, what the program does and the kinds it takes")
    if USER_HEADING not in lines:
        fail("README.md has no '%s' section for the release's README" % USER_HEADING)
    user = lines.index(USER_HEADING)
    end = next((i for i in heads if i > user), len(lines))
    text = render_markdown(lines[:heads[0]] + [""] + lines[user:end], "Tessaroo %s for 64-bit Windows" % version)
    wide = [line for line in text if columns(line) > WIDEST]
    if wide:
        fail("README.txt has lines wider than %d columns:\n  %s" % (WIDEST, "\n  ".join(wide)))
    return BOM + "\r\n".join(text)


def cli_options():
    """The options tessaroo-cli's usage names."""
    text = open(os.path.join(ROOT, "app", "CliMain_win.cpp"), encoding="utf-8").read()
    usage = text[text.index("kUsage ="):text.index(";", text.index("kUsage ="))]
    return sorted(set(re.findall(r"--[a-z]+", usage)))


def build(lock):
    notices_file = check(lock)
    version = project_version()
    missing = [o for o in cli_options() if o not in readme(version)]
    if missing:
        fail("README.txt does not mention the tessaroo-cli options " + ", ".join(missing))
    zip_path = os.path.join(DIST, "Tessaroo-%s-win64.zip" % version)
    files = {name: open(os.path.join(WIN, name), "rb").read() for name in PROGRAMS}
    files["README.txt"] = readme(version).encode("utf-8")
    files["THIRD-PARTY-NOTICES.txt"] = open(notices_file, "rb").read()
    if os.path.exists(zip_path):
        os.remove(zip_path)
    with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in files.items():
            z.writestr(name, data)
    with zipfile.ZipFile(zip_path) as z:
        listing = {i.filename: i.file_size for i in z.infolist()}
        if z.testzip() is not None:
            fail("%s is damaged" % zip_path)
        if listing.keys() != files.keys() or any(z.read(n) != d for n, d in files.items()):
            fail("%s does not hold what was put in it" % zip_path)
    for name in ("README.txt", "THIRD-PARTY-NOTICES.txt"):
        if b"\n" in files[name].replace(b"\r\n", b""):
            fail(name + " has a line end other than CRLF")
    for name, size in listing.items():
        print("%12d  %s" % (size, name))
    print(zip_path)
    # The source the LGPL and the MPL ask to be offered, beside the release.
    sources_path = os.path.join(DIST, "Tessaroo-%s-sources.zip" % version)
    if os.path.exists(sources_path):
        os.remove(sources_path)
    with zipfile.ZipFile(sources_path, "w", zipfile.ZIP_STORED) as z:
        for component in COMPONENTS:
            for path in component.get("sources", []):
                z.write(deb_tarball(lock, path), os.path.basename(path))
        # How they were built: the scripts, pins, toolchain file and flags.
        for script in BUILD_SCRIPTS:
            z.write(os.path.join(ROOT, script), "build-scripts/" + script)
    with zipfile.ZipFile(sources_path) as z:
        if z.testzip() is not None or not z.namelist():
            fail("%s is damaged or empty" % sources_path)
        for info in z.infolist():
            print("%12d  %s" % (info.file_size, info.filename))
    print(sources_path)


if __name__ == "__main__":
    if sys.argv[1:] == ["check"]:
        check(read_lock())
    elif not sys.argv[1:]:
        build(read_lock())
    else:
        fail("usage: dist.py [check]")
