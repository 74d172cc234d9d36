#!/usr/bin/env bash
# Installs, once and idempotently, everything the build and the tests need on a
# Debian 12 machine: the mingw-w64 cross toolchain, Wine (64- and 32-bit, the
# packaging tool is a 32-bit program), Xvfb and X tools for the GUI tests,
# fonts for the Chinese captions, and the zh_CN locale for code page 936 runs.
set -euo pipefail

need_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  build-essential cmake ninja-build pkg-config git ca-certificates curl
  googletest libgtest-dev libpng-dev zlib1g-dev libpcre2-dev libexpat1-dev libcairo2-dev libarchive-dev liblzma-dev
  liblz4-dev libzstd-dev
  libopenjp2-7-dev
  mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  libz-mingw-w64-dev
  wine wine64 wine32:i386
  xvfb xdotool x11-utils x11-apps netpbm
  fonts-wqy-microhei fonts-wine locales
  dpkg-dev nodejs npm python3
  android-framework-res aapt webp icoutils wixl
  squashfs-tools rpm zstd librsvg2-bin icnsutils mtools genisoimage libopenjp2-tools
  x11-common psmisc
)

missing=()
for p in "${packages[@]}"; do
  name=${p%%:*}; arch=${p#*:}; [ "$arch" = "$p" ] && arch=""
  q=$name${arch:+:$arch}
  if ! dpkg-query -W -f='${Status}' "$q" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# Node and npm may come from elsewhere than Debian; a working command is enough.
if command -v node >/dev/null && command -v npm >/dev/null; then
  filtered=(); for p in "${missing[@]}"; do case $p in nodejs|npm) ;; *) filtered+=("$p");; esac; done
  missing=("${filtered[@]}")
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    need_root dpkg --add-architecture i386
  fi
  need_root apt-get update -qq
  need_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  # Code page 936 under Wine comes from the Chinese UTF-8 locale.
  if grep -q 'zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    need_root sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  else
    need_root sh -c "echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen"
  fi
  need_root locale-gen >/dev/null
fi
echo "setup: system packages ready"
