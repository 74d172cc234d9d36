#pragma once
// The icons of Linux application packages, read with the 7-Zip console, each
// call naming the one archive type it expects. The application's desktop
// entry names the icon (linux/LinuxIconChoice.h); links inside the package
// are followed, never out of it. Empty bytes when there is no icon.
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

// A .deb: the ar archive's data.tar.* is unpacked from its compression in
// one run into the work folder (within the inner-archive cap), then read as
// a tar archive.
Bytes ExtractDebIcon(const PipelineContext& context, const std::string& packagePath);

// An .rpm: its cpio payload is unpacked the same way, then read as cpio.
Bytes ExtractRpmIcon(const PipelineContext& context, const std::string& packagePath);

// An AppImage: the SquashFS image after its ELF runtime is copied out by the
// program (its stated size, within the cap), then its .DirIcon is taken when
// it is a PNG, else its desktop entry's icon.
Bytes ExtractAppImageIcon(const PipelineContext& context, const std::string& imagePath);

// A .snap (a SquashFS image): meta/gui/icon.png, else the icon its
// meta/gui desktop entry names.
Bytes ExtractSnapIcon(const PipelineContext& context, const std::string& snapPath);
