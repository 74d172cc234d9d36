#!/usr/bin/env bash
# Fetches the pinned third-party artefacts of scripts/thirdparty.lock, checks
# their sha256, and builds what the Windows build needs into build/deps:
#   build/deps/tools/   the five helper tool files the executable carries
#   build/deps/win/     cross-built libraries (GoogleTest, ...) as a CMake prefix
#   build/deps/npm/     unpacked npm packages (also test material)
# Every step leaves a stamp; a second run rebuilds nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps=$root/build/deps
lock=$root/scripts/thirdparty.lock
mirror=${DEBIAN_MIRROR:-http://deb.debian.org}
jobs=$(nproc)
mkdir -p "$deps"/{dl,src,npm,tools,win,stamps}

say() { echo "thirdparty: $*"; }
stamp() { [ -f "$deps/stamps/$1" ]; }
mark() { touch "$deps/stamps/$1"; }

check_sha() { # file sha256
  local got; got=$(sha256sum "$1" | cut -d' ' -f1)
  if [ "$got" != "$2" ]; then
    echo "thirdparty: checksum mismatch for $1: got $got, want $2" >&2
    rm -f "$1"; return 1
  fi
}

# npm <package@version>: npm pack, verify, unpack into build/deps/npm/<package@version>
fetch_npm() {
  local package=$1 sha; sha=$(awk -v s="$package" '$1=="npm" && $2==s {print $3}' "$lock")
  [ -n "$sha" ] || { echo "thirdparty: $package not in lock" >&2; return 1; }
  local dir=$deps/npm/$package
  stamp "npm-$package" && return 0
  say "npm pack $package"
  local tmp; tmp=$(mktemp -d)
  (cd "$tmp" && npm pack "$package" --silent >/dev/null)
  local tgz; tgz=$(ls "$tmp"/*.tgz)
  check_sha "$tgz" "$sha"
  rm -rf "$dir"; mkdir -p "$dir"
  tar xzf "$tgz" -C "$dir" --strip-components=1
  rm -rf "$tmp"
  mark "npm-$package"
}

# deb <pool path>: download from the Debian mirror, verify
fetch_deb() {
  local path=$1 sha; sha=$(awk -v p="$path" '$1=="deb" && $2==p {print $3}' "$lock")
  [ -n "$sha" ] || { echo "thirdparty: $path not in lock" >&2; return 1; }
  local out=$deps/dl/$(basename "$path")
  if [ -f "$out" ] && check_sha "$out" "$sha" 2>/dev/null; then return 0; fi
  say "download $path"
  curl -sSfL -o "$out" "$mirror/${path//+/%2b}"
  check_sha "$out" "$sha"
}

# Unpacks an upstream tarball and, when given, a Debian tarball with its quilt
# patches applied in series order (what dpkg-source -x does).
unpack_source() { # name orig-path [debian-path]
  local name=$1 dir=$deps/src/$1
  rm -rf "$dir"; mkdir -p "$dir"
  tar xf "$deps/dl/$(basename "$2")" -C "$dir" --strip-components=1
  if [ $# -ge 3 ]; then
    tar xf "$deps/dl/$(basename "$3")" -C "$dir"
    if [ -f "$dir/debian/patches/series" ]; then
      while read -r p _; do
        case "$p" in ''|\#*) continue;; esac
        patch -d "$dir" -p1 -s < "$dir/debian/patches/$p"
      done < "$dir/debian/patches/series"
    fi
  fi
}

npm_tool() { # package@version file-in-package tool-name
  fetch_npm "$1"
  cmp -s "$deps/npm/$1/$2" "$deps/tools/$3" || install -m 0644 "$deps/npm/$1/$2" "$deps/tools/$3"
}

build_unzip() {
  stamp unzip-utf8-marked && return 0
  local orig=debian/pool/main/u/unzip/unzip_6.0.orig.tar.gz
  local deb=debian-security/pool/updates/main/u/unzip/unzip_6.0-28+deb12u1.debian.tar.xz
  fetch_deb $orig; fetch_deb $deb
  unpack_source unzip $orig $deb
  say "cross-building unzip"
  # The UTF-8 manifest goes into UnZip's own resource script.
  cp "$root/scripts/uz.manifest" "$deps/src/unzip/win32/uz.manifest"
  printf '\n1 24 "uz.manifest"\n' >> "$deps/src/unzip/win32/winapp.rc"
  # Info-ZIP's licence asks that an altered version be plainly marked as
  # such: its version resource says so, and how.
  sed -i 's/VALUE "PrivateBuild", "\\0"/VALUE "PrivateBuild", "Altered for Tessaroo: a UTF-8 manifest added, Debian patches applied\\0"/' \
    "$deps/src/unzip/win32/winapp.rc"
  grep -q "Altered for Tessaroo" "$deps/src/unzip/win32/winapp.rc" || { echo "thirdparty: UnZip's version resource not marked" >&2; return 1; }
  # windows.h first: UnZip's __G and CR macros otherwise clash with mingw's headers.
  make -C "$deps/src/unzip" -s -j"$jobs" -f win32/Makefile.gcc \
    CC="x86_64-w64-mingw32-gcc -include windows.h" RC=x86_64-w64-mingw32-windres \
    AR=x86_64-w64-mingw32-ar NOASM=1 CC_CPU_OPT=-mtune=generic \
    LDFLAGS2="-s -static" unzip.exe >"$deps/src/unzip.log" 2>&1 \
    || { tail -20 "$deps/src/unzip.log"; return 1; }
  install -m 0644 "$deps/src/unzip/unzip.exe" "$deps/tools/uz.exe"
  mark unzip-utf8-marked
}

# 7-Zip with every format but RAR, whose code Debian's +dfsg source leaves
# out (hence DISABLE_RAR): upstream's single-program bundle (7zz), static.
# Debian's patches apply; one drops upstream's strip flag, given back here.
build_7zip() {
  stamp 7zip-26.02 && return 0
  local orig=debian-security/pool/updates/main/7/7zip/7zip_22.01+really26.02+dfsg.orig.tar.xz
  local deb=debian-security/pool/updates/main/7/7zip/7zip_22.01+really26.02+dfsg-0+deb12u1.debian.tar.xz
  fetch_deb $orig; fetch_deb $deb
  unpack_source 7zip $orig $deb
  say "cross-building 7-Zip (a few minutes)"
  make -C "$deps/src/7zip/CPP/7zip/Bundles/Alone2" -s -j"$jobs" -f makefile.gcc \
    IS_MINGW=1 DISABLE_RAR=1 LFLAGS_STRIP=-s \
    CC=x86_64-w64-mingw32-gcc-posix CXX=x86_64-w64-mingw32-g++-posix \
    RC=x86_64-w64-mingw32-windres >"$deps/src/7zip.log" 2>&1 || { tail -20 "$deps/src/7zip.log"; return 1; }
  install -m 0644 "$deps/src/7zip/CPP/7zip/Bundles/Alone2/_o/7zz.exe" "$deps/tools/za.exe"
  mark 7zip-26.02
}

build_zlibwapi() {
  stamp zlibwapi && return 0
  local orig=debian/pool/main/z/zlib/zlib_1.2.13.dfsg.orig.tar.bz2
  fetch_deb $orig
  unpack_source zlib $orig
  say "cross-building zlib with minizip as zlibwapi.dll"
  local z=$deps/src/zlib
  (cd "$z" && x86_64-w64-mingw32-gcc -O2 -shared -s -static-libgcc -I. -Icontrib/minizip \
    -o zlibwapi.dll adler32.c compress.c crc32.c deflate.c gzclose.c gzlib.c gzread.c \
    gzwrite.c infback.c inffast.c inflate.c inftrees.c trees.c uncompr.c zutil.c \
    contrib/minizip/ioapi.c contrib/minizip/iowin32.c contrib/minizip/unzip.c contrib/minizip/zip.c)
  install -m 0644 "$z/zlibwapi.dll" "$deps/tools/zlibwapi.dll"
  mark zlibwapi
}

# CMake projects cross-built into the build/deps/win prefix.
cross_cmake() { # name source-dir [cmake args...]
  local name=$1 srcdir=$2; shift 2
  local b=$deps/build-$name
  say "cross-building $name"
  cmake -S "$srcdir" -B "$b" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DCMAKE_INSTALL_PREFIX="$deps/win" "$@" >"$b.log" 2>&1 || { tail -20 "$b.log"; return 1; }
  cmake --build "$b" -j"$jobs" >>"$b.log" 2>&1 || { tail -20 "$b.log"; return 1; }
  cmake --install "$b" >>"$b.log" 2>&1
}

build_gtest_win() {
  stamp gtest-win && return 0
  cross_cmake googletest /usr/src/googletest -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=ON
  mark gtest-win
}

build_libpng_win() {
  stamp libpng-win && return 0
  local orig=debian/pool/main/libp/libpng1.6/libpng1.6_1.6.39.orig.tar.gz
  fetch_deb $orig
  unpack_source libpng $orig
  # zlib for Windows comes from Debian's libz-mingw-w64-dev.
  cross_cmake libpng "$deps/src/libpng" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF -DPNG_BUILD_ZLIB=OFF
  mark libpng-win
}

build_pcre2_win() {
  stamp pcre2-win && return 0
  local orig=debian/pool/main/p/pcre2/pcre2_10.42.orig.tar.gz
  fetch_deb $orig
  unpack_source pcre2 $orig
  # 16-bit code units: texts cross into the engine as UTF-16.
  cross_cmake pcre2 "$deps/src/pcre2" -DBUILD_SHARED_LIBS=OFF -DPCRE2_BUILD_PCRE2_8=OFF \
    -DPCRE2_BUILD_PCRE2_16=ON -DPCRE2_SUPPORT_JIT=ON -DPCRE2_BUILD_PCRE2GREP=OFF \
    -DPCRE2_BUILD_TESTS=OFF -DPCRE2_SUPPORT_UNICODE=ON
  mark pcre2-win
}

build_expat_win() {
  stamp expat-win && return 0
  local orig=debian/pool/main/e/expat/expat_2.5.0.orig.tar.gz
  local deb=debian-security/pool/updates/main/e/expat/expat_2.5.0-1+deb12u3.debian.tar.xz
  fetch_deb $orig; fetch_deb $deb
  unpack_source expat $orig $deb
  # Debian's orig tarball is a snapshot of the upstream repository, with the
  # library in its expat/ folder. The library alone, static: the manifest
  # reader links it in. Without DTD support: the reader refuses every
  # document type declaration (and Debian's patches test XML_DTD as the
  # autotools build defines it, which the CMake build does not).
  cross_cmake expat "$deps/src/expat/expat" -DEXPAT_DTD=OFF -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF \
    -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF
  mark expat-win
}

# Autotools projects cross-built into the build/deps/win prefix as static
# libraries only. pkg-config looks in that prefix alone, so a library is never
# matched with the build machine's copy of another. The prefix written into
# the pkg-config files is the folder's real path: build/deps may be reached
# through a link from a work tree that comes and goes.
cross_configure() { # name source-dir [configure args...]
  local name=$1 srcdir=$2; shift 2
  local log=$deps/build-$name.log prefix; prefix=$(cd "$deps/win" && pwd -P)
  say "cross-building $name"
  (cd "$srcdir" && PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" PKG_CONFIG_PATH= ./configure \
    --host=x86_64-w64-mingw32 CC=x86_64-w64-mingw32-gcc-posix --prefix="$prefix" \
    --enable-static --disable-shared --disable-dependency-tracking CFLAGS=-O2 "$@") \
    >"$log" 2>&1 || { tail -20 "$log"; return 1; }
}

# Builds and installs one folder of a configured autotools tree, plus the
# pkg-config file from the top when the project keeps it there.
make_install_dir() { # name source-dir subdir [pc-file]
  local name=$1 srcdir=$2 sub=$3 log=$deps/build-$1.log
  make -C "$srcdir/$sub" -j"$jobs" >>"$log" 2>&1 && make -C "$srcdir/$sub" install >>"$log" 2>&1 \
    || { tail -20 "$log"; return 1; }
  if [ $# -ge 4 ]; then install -D -m 0644 "$srcdir/$4" "$deps/win/lib/pkgconfig/$(basename "$4")"; fi
}

build_pixman_win() {
  stamp pixman-win && return 0
  local orig=debian/pool/main/p/pixman/pixman_0.42.2.orig.tar.gz
  fetch_deb $orig
  unpack_source pixman $orig
  # The x86 fast paths (MMX, SSE2, SSSE3) build with mingw-w64 gcc as they do
  # on Linux; OpenMP would pull in libgomp, and only the library is wanted.
  cross_configure pixman "$deps/src/pixman" --disable-openmp --disable-gtk --disable-libpng
  make_install_dir pixman "$deps/src/pixman" pixman pixman-1.pc
  mark pixman-win
}

build_cairo_win() {
  stamp cairo-win && return 0
  local orig=debian/pool/main/c/cairo/cairo_1.16.0.orig.tar.xz
  local deb=debian/pool/main/c/cairo/cairo_1.16.0-7.debian.tar.xz
  fetch_deb $orig; fetch_deb $deb
  unpack_source cairo $orig $deb
  # Debian's patches also touch configure.ac and Makefile.am (maintainer
  # mode, perf tools, the shared library's exported symbols); none of that
  # matters for a static library with the image surface alone, so the
  # shipped generated files are kept instead of regenerated with autotools.
  (cd "$deps/src/cairo" && touch aclocal.m4 && touch configure config.h.in && find . -name Makefile.in -exec touch {} +)
  # The image surface only: no windowing system, no fonts beyond the
  # built-in toy font, no file formats. On Windows cairo opens files through
  # its UTF-8 to UTF-16 conversion, which 1.16 compiles only along with the
  # Windows fonts or PDF, hence the define.
  cross_configure cairo "$deps/src/cairo" CPPFLAGS=-DCAIRO_HAS_UTF8_TO_UTF16=1 --disable-xlib --disable-xlib-xrender --disable-xcb \
    --disable-win32 --disable-win32-font --disable-ft --disable-fc --disable-png --disable-svg \
    --disable-pdf --disable-ps --disable-script --disable-gobject --disable-trace \
    --disable-interpreter --disable-symbol-lookup --disable-valgrind --disable-tee --disable-xml \
    --disable-gtk-doc --disable-full-testing
  make_install_dir cairo "$deps/src/cairo" src src/cairo.pc
  mark cairo-win
}

# The package reader: libarchive with the decompressors Linux packages use
# (gzip from Debian's mingw-w64 zlib, bzip2, xz, zstd), all static. Only
# reading is used; the command-line programs and tests are left out.
build_bzip2_win() {
  stamp bzip2-win && return 0
  local orig=debian/pool/main/b/bzip2/bzip2_1.0.8.orig.tar.gz
  local deb=debian/pool/main/b/bzip2/bzip2_1.0.8-5.debian.tar.bz2
  fetch_deb $orig; fetch_deb $deb
  unpack_source bzip2 $orig $deb
  say "cross-building bzip2"
  local b=$deps/src/bzip2
  (cd "$b" && for c in blocksort huffman crctable randtable compress decompress bzlib; do
     x86_64-w64-mingw32-gcc-posix -O2 -D_FILE_OFFSET_BITS=64 -c $c.c -o $c.o || exit 1; done &&
   x86_64-w64-mingw32-ar rcs libbz2.a blocksort.o huffman.o crctable.o randtable.o compress.o decompress.o bzlib.o) \
    >"$deps/build-bzip2.log" 2>&1 || { tail -20 "$deps/build-bzip2.log"; return 1; }
  install -D -m 0644 "$b/bzlib.h" "$deps/win/include/bzlib.h"
  install -D -m 0644 "$b/libbz2.a" "$deps/win/lib/libbz2.a"
  mark bzip2-win
}

build_xz_win() {
  stamp xz-win && return 0
  local orig=debian/pool/main/x/xz-utils/xz-utils_5.4.1.orig.tar.xz
  local deb=debian-security/pool/updates/main/x/xz-utils/xz-utils_5.4.1-1+deb12u2.debian.tar.xz
  fetch_deb $orig; fetch_deb $deb
  unpack_source xz $orig $deb
  # Debian's patches touch translations too; the library needs none of them.
  (cd "$deps/src/xz" && touch aclocal.m4 && touch configure && find . -name Makefile.in -exec touch {} +)
  cross_configure xz "$deps/src/xz" --disable-xz --disable-xzdec --disable-lzmadec --disable-lzmainfo \
    --disable-lzma-links --disable-scripts --disable-doc --disable-nls
  make_install_dir xz "$deps/src/xz" src/liblzma
  mark xz-win
}

build_zstd_win() {
  stamp zstd-win && return 0
  local orig=debian/pool/main/libz/libzstd/libzstd_1.5.4+dfsg2.orig.tar.xz
  local deb=debian/pool/main/libz/libzstd/libzstd_1.5.4+dfsg2-5.debian.tar.xz
  fetch_deb $orig; fetch_deb $deb
  unpack_source zstd $orig $deb
  cross_cmake zstd "$deps/src/zstd/build/cmake" -DZSTD_BUILD_PROGRAMS=OFF -DZSTD_BUILD_SHARED=OFF \
    -DZSTD_BUILD_STATIC=ON -DZSTD_BUILD_TESTS=OFF -DZSTD_LEGACY_SUPPORT=OFF -DZSTD_MULTITHREAD_SUPPORT=OFF
  mark zstd-win
}

# SquashFS images (snaps, AppImages) are read in process by linux/SquashFs.cpp
# with the decompressors their superblock names: zlib, xz and zstd as above,
# and LZ4's block format, which is lib/lz4.c alone (no frames, no HC).
build_lz4_win() {
  stamp lz4-win && return 0
  local orig=debian/pool/main/l/lz4/lz4_1.9.4.orig.tar.gz
  local deb=debian/pool/main/l/lz4/lz4_1.9.4-1.debian.tar.xz
  fetch_deb $orig; fetch_deb $deb
  unpack_source lz4 $orig $deb
  say "cross-building lz4"
  local b=$deps/src/lz4/lib
  (cd "$b" && x86_64-w64-mingw32-gcc-posix -O2 -c lz4.c -o lz4.o && x86_64-w64-mingw32-ar rcs liblz4.a lz4.o) \
    >"$deps/build-lz4.log" 2>&1 || { tail -20 "$deps/build-lz4.log"; return 1; }
  install -D -m 0644 "$b/lz4.h" "$deps/win/include/lz4.h"
  install -D -m 0644 "$b/liblz4.a" "$deps/win/lib/liblz4.a"
  mark lz4-win
}

build_libarchive_win() {
  stamp libarchive-win && return 0
  local orig=debian/pool/main/liba/libarchive/libarchive_3.6.2.orig.tar.xz
  local deb=debian-security/pool/updates/main/liba/libarchive/libarchive_3.6.2-1+deb12u5.debian.tar.xz
  fetch_deb $orig; fetch_deb $deb
  unpack_source libarchive $orig $deb
  cross_cmake libarchive "$deps/src/libarchive" -DENABLE_TAR=OFF -DENABLE_CPIO=OFF -DENABLE_CAT=OFF \
    -DENABLE_TEST=OFF -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF -DENABLE_NETTLE=OFF -DENABLE_CNG=OFF \
    -DENABLE_LIBB2=OFF -DENABLE_LZ4=OFF -DENABLE_LZO=OFF -DENABLE_LIBXML2=OFF -DENABLE_EXPAT=OFF \
    -DENABLE_PCREPOSIX=OFF -DENABLE_LIBGCC=OFF -DPOSIX_REGEX_LIB=NONE -DENABLE_ICONV=OFF -DENABLE_ACL=OFF -DENABLE_XATTR=OFF \
    -DENABLE_ZLIB=ON -DENABLE_BZip2=ON -DENABLE_LZMA=ON -DENABLE_ZSTD=ON -DZLIB_USE_STATIC_LIBS=ON
  mark libarchive-win
}

build_openjpeg_win() {
  stamp openjpeg-win && return 0
  local orig=debian/pool/main/o/openjpeg2/openjpeg2_2.5.0.orig.tar.xz
  local deb=debian/pool/main/o/openjpeg2/openjpeg2_2.5.0-2+deb12u3.debian.tar.xz
  fetch_deb $orig; fetch_deb $deb
  unpack_source openjpeg $orig $deb
  # The decoding library alone, static, for the JPEG 2000 images of icon
  # sets: no codec programs (which would want PNG, TIFF and LCMS), and no
  # threads, as the images are small and decoded one at a time.
  cross_cmake openjpeg "$deps/src/openjpeg" -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON \
    -DBUILD_CODEC=OFF -DBUILD_JPIP=OFF -DBUILD_DOC=OFF -DBUILD_TESTING=OFF -DBUILD_PKGCONFIG_FILES=OFF \
    -DOPJ_USE_THREAD=OFF
  mark openjpeg-win
}

# `thirdparty.sh fetch PATH...` only downloads and checks the named Debian
# artefacts: the release notices read licence texts from sources this
# script does not build.
if [ "${1:-}" = fetch ]; then
  shift
  for path in "$@"; do fetch_deb "$path"; done
  exit 0
fi

npm_tool aaptjs@1.3.2 bin/win32/aapt.exe pt.exe
npm_tool webp-converter@3.0.1 bin/libwebp_win64/bin/dwebp.exe dwebp.exe
fetch_npm cgbi-to-png@1.0.7
fetch_npm io.appium.settings@8.0.10
build_unzip
build_7zip
build_zlibwapi
build_gtest_win
build_libpng_win
build_pcre2_win
build_expat_win
build_pixman_win
build_cairo_win
build_bzip2_win
build_xz_win
build_zstd_win
build_libarchive_win
build_lz4_win
build_openjpeg_win
say "ready in $deps"
