#pragma once
// The icons of Linux application packages: .deb and .rpm read in process in
// one pass (linux/PackagePass.h), the SquashFS images of AppImages and snaps
// read in place (linux/SquashFs.h); 7-Zip reads what those cannot (an
// ISO 9660 AppImage, an LZO image), each call naming the one archive type it
// expects. The application's desktop
// entry names the icon (linux/LinuxIconChoice.h); links inside the package
// are followed, never out of it. Empty bytes when there is no icon.
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

// A .deb: its data.tar.*, unpacked as it is read (within the inner-archive
// cap), nothing written to disk. When the icon is missing, the reason names
// the data package its control file depends on.
Bytes ExtractDebIcon(const PipelineContext& context, const std::string& packagePath);

// An .rpm: its cpio payload the same way; Requires from its header.
Bytes ExtractRpmIcon(const PipelineContext& context, const std::string& packagePath);

// An AppImage: the SquashFS image after its ELF runtime, read where it lies
// (its stated size within the file), then its .DirIcon is taken when it is
// an icon file, else its desktop entry's icon.
Bytes ExtractAppImageIcon(const PipelineContext& context, const std::string& imagePath);

// A .snap (a SquashFS image): meta/gui/icon.png, else the icon its
// meta/gui desktop entry names.
Bytes ExtractSnapIcon(const PipelineContext& context, const std::string& snapPath);
