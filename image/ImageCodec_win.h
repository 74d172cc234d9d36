#pragma once
// Decoding and encoding images in memory through GDI+ (its flat interface).
// Apple-crushed PNG data is rewritten into a standard PNG before GDI+ sees
// it, since no platform decoder reads the crushed form.
#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <cstdint>
#include <string>

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

// A bitmap for pixel work, encoded by image-format GUID text.
class ImageCodecEx {
 public:
  ImageCodecEx() = default;
  ImageCodecEx(const ImageCodecEx&) = delete;
  ImageCodecEx& operator=(const ImageCodecEx&) = delete;
  ~ImageCodecEx() { dispose(); }

  bool createFromBytes(ByteSpan bytes, bool colourManagement = false);
  unsigned width() const;
  unsigned height() const;
  std::uint32_t getPixel(unsigned x, unsigned y) const;   // ARGB; 0 on failure
  bool setPixel(unsigned x, unsigned y, std::uint32_t argb);
  // Swaps red and blue of every pixel and makes it opaque, in one pass over
  // locked bits. False when there is no bitmap or it cannot be locked.
  bool exchangeRedBlueOpaque();
  // Decoded pixels as RGBA; empty when there is no bitmap or it is too large.
  RgbaImage toRgba() const;
  // The encoder is the installed one whose format GUID, as upper-case braced
  // text, equals formatText exactly; none gives empty bytes.
  Bytes encodeByFormat(const std::string& formatText, const Gdiplus::EncoderParameters* parameters = nullptr);
  void dispose();

 private:
  MemoryStream input_;
  Gdiplus::GpBitmap* bitmap_ = nullptr;
};

inline constexpr char kPngFormatGuid[] = "{B96B3CAF-0728-11D3-9D7B-0000F81EF32E}";

// Any image GDI+ decodes (JPEG, BMP, GIF, ...) as RGBA; empty on failure.
RgbaImage DecodeWithCodec(ByteSpan bytes);
