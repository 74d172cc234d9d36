#pragma once
// Decoding and encoding images in memory through GDI+ (its flat interface).
// Apple-crushed PNG data is rewritten into a standard PNG before GDI+ sees
// it, since no platform decoder reads the crushed form.
#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include "image/RgbaImage.h"
#include "support/Bytes.h"
#include "support/ScopedWin_win.h"

// Starts GDI+ for the process; later calls do nothing.
void StartCodec();
// Ends GDI+ when it was started, once no codec object is left: at the end of
// the program.
void StopCodec();

// An IStream over movable global memory, holding a copy of some bytes.
class MemoryStream {
 public:
  MemoryStream() = default;
  bool assign(ByteSpan bytes);       // the stream then reads these bytes
  bool createEmpty();                // an empty stream to write into
  IStream* stream() const { return stream_.get(); }
  Bytes bytes() const;               // everything written, by the stream's own size
  void reset() { stream_.reset(); }

 private:
  ComPtr<IStream> stream_;
};

// A decoded image kept with the memory it was decoded from (GDI+ reads the
// stream lazily), re-encoded by a small format index.
class ImageCodec {
 public:
  ImageCodec() = default;
  ImageCodec(const ImageCodec&) = delete;
  ImageCodec& operator=(const ImageCodec&) = delete;
  ~ImageCodec() { dispose(); }

  bool loadFromBytes(ByteSpan bytes);
  // 2 JPEG, 3 GIF, 4 TIFF, 5 PNG, anything else BMP. Quality counts for JPEG
  // only; without one, 100.
  Bytes encodeToBytes(int formatIndex, int quality, bool qualityGiven);
  void dispose();

 private:
  MemoryStream input_;
  Gdiplus::GpBitmap* image_ = nullptr;
};

// A decoded bitmap whose pixels are read out as RGBA.
class ImageCodecEx {
 public:
  ImageCodecEx() = default;
  ImageCodecEx(const ImageCodecEx&) = delete;
  ImageCodecEx& operator=(const ImageCodecEx&) = delete;
  ~ImageCodecEx() { dispose(); }

  bool createFromBytes(ByteSpan bytes, bool colourManagement = false);
  unsigned width() const;
  unsigned height() const;
  // Decoded pixels as RGBA; empty when there is no bitmap or it is too large.
  RgbaImage toRgba() const;
  void dispose();

 private:
  MemoryStream input_;
  Gdiplus::GpBitmap* bitmap_ = nullptr;
};

// Any image GDI+ decodes (JPEG, BMP, GIF, ...) as RGBA; empty on failure.
RgbaImage DecodeWithCodec(ByteSpan bytes);
