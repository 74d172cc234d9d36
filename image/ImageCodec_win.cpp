#include "image/ImageCodec_win.h"

#include <mutex>

#include "image/CgbiPng.h"
#include "image/ImageFormat.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

ULONG_PTR gCodecToken = 0;
std::mutex gCodecStart;

// Encoder class ids of GDI+'s built-in encoders: {557CF40n-1A04-11D3-9A73-0000F81EF32E}.
CLSID BuiltInEncoder(int formatIndex) {
  unsigned n = 0;  // BMP
  switch (formatIndex) {
    case 2: n = 1; break;  // JPEG
    case 3: n = 2; break;  // GIF
    case 4: n = 5; break;  // TIFF
    case 5: n = 6; break;  // PNG
  }
  return {0x557CF400u + n, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
}

const GUID kEncoderQuality = {0x1d5be4b5, 0xfa4a, 0x452d, {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};

// What GDI+ is given: crushed PNG data rewritten as a standard PNG, and only
// formats whose declared size can be checked first and is within the limit
// (GDI+ allocates for the whole image when it decodes). Empty otherwise.
Bytes DecodableBytes(ByteSpan bytes) {
  Bytes decodable = IsCgbiPng(bytes) ? NormalizeCgbiPng(bytes) : Bytes(bytes.begin(), bytes.end());
  const ImageSize size = ProbeImageSize(decodable);
  if (!ImageSizeAllowed(size.width, size.height)) return {};
  return decodable;
}

Bytes Save(GpImage* image, const CLSID& encoder, const EncoderParameters* parameters) {
  MemoryStream out;
  if (!image || !out.createEmpty()) return {};
  if (GdipSaveImageToStream(image, out.stream(), &encoder, parameters) != Ok) return {};
  return out.bytes();
}

bool SizeAllowed(GpBitmap* bitmap) {
  UINT w = 0, h = 0;
  return GdipGetImageWidth(bitmap, &w) == Ok && GdipGetImageHeight(bitmap, &h) == Ok && ImageSizeAllowed(w, h);
}

}  // namespace

void StartCodec() {
  // Imports decode on their own thread while the window saves or copies.
  const std::lock_guard lock(gCodecStart);
  if (gCodecToken) return;
  GdiplusStartupInput input;
  GdiplusStartup(&gCodecToken, &input, nullptr);
}

void StopCodec() {
  const std::lock_guard lock(gCodecStart);
  if (!gCodecToken) return;
  GdiplusShutdown(gCodecToken);
  gCodecToken = 0;
}

bool MemoryStream::assign(ByteSpan bytes) {
  stream_.reset();
  if (bytes.empty()) return createEmpty();
  HGLOBAL memory = CopyToGlobalMemory(bytes.data(), bytes.size());
  if (!memory) return false;
  // The stream frees the memory when it is released.
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, stream_.receive()))) {
    GlobalFree(memory);
    return false;
  }
  return true;
}

bool MemoryStream::createEmpty() {
  // A zero-sized block cannot be locked; let the stream allocate as it grows.
  return SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream_.receive()));
}

Bytes MemoryStream::bytes() const {
  STATSTG stat{};
  HGLOBAL memory = nullptr;
  if (!stream_ || FAILED(stream_->Stat(&stat, STATFLAG_NONAME)) ||
      FAILED(GetHGlobalFromStream(stream_.get(), &memory))) {
    return {};
  }
  // The block may be larger than what was written; the stream knows the size.
  const SIZE_T size = static_cast<SIZE_T>(stat.cbSize.QuadPart);
  if (size == 0 || size > GlobalSize(memory)) return {};
  const ScopedGlobalLock lock(memory);
  const auto* at = static_cast<const std::uint8_t*>(lock.data());
  if (!at) return {};
  return Bytes(at, at + size);
}

bool ImageCodec::loadFromBytes(ByteSpan bytes) {
  dispose();
  if (bytes.size() <= 4) return false;
  StartCodec();
  const Bytes decodable = DecodableBytes(bytes);
  if (decodable.empty() || !input_.assign(decodable)) return false;
  if (GdipCreateBitmapFromStream(input_.stream(), &image_) != Ok) image_ = nullptr;
  return image_ != nullptr;
}

Bytes ImageCodec::encodeToBytes(int formatIndex, int quality, bool qualityGiven) {
  if (!image_) return {};
  if (!qualityGiven) quality = 100;
  if (quality < 0) quality = 0;
  if (formatIndex == 2 && quality > 100) quality = 100;
  LONG value = quality;
  EncoderParameters parameters{};
  parameters.Count = 1;
  parameters.Parameter[0].NumberOfValues = 1;
  parameters.Parameter[0].Type = EncoderParameterValueTypeLong;
  if (formatIndex == 2) {
    parameters.Parameter[0].Guid = kEncoderQuality;
    parameters.Parameter[0].Value = &value;
  }
  return Save(image_, BuiltInEncoder(formatIndex), formatIndex == 2 ? &parameters : nullptr);
}

void ImageCodec::dispose() {
  if (image_) GdipDisposeImage(image_);
  image_ = nullptr;
  input_.reset();
}

bool ImageCodecEx::createFromBytes(ByteSpan bytes, bool colourManagement) {
  dispose();
  StartCodec();
  const Bytes decodable = DecodableBytes(bytes);
  if (decodable.empty() || !input_.assign(decodable)) return false;
  const GpStatus status = colourManagement ? GdipCreateBitmapFromStreamICM(input_.stream(), &bitmap_)
                                           : GdipCreateBitmapFromStream(input_.stream(), &bitmap_);
  if (status != Ok) bitmap_ = nullptr;
  return bitmap_ != nullptr;
}

unsigned ImageCodecEx::width() const {
  UINT w = 0;
  return bitmap_ && GdipGetImageWidth(bitmap_, &w) == Ok ? w : 0;
}

unsigned ImageCodecEx::height() const {
  UINT h = 0;
  return bitmap_ && GdipGetImageHeight(bitmap_, &h) == Ok ? h : 0;
}

RgbaImage ImageCodecEx::toRgba() const {
  if (!bitmap_ || !SizeAllowed(bitmap_)) return {};
  const GpRect all{0, 0, static_cast<INT>(width()), static_cast<INT>(height())};
  BitmapData data{};
  if (GdipBitmapLockBits(bitmap_, &all, ImageLockModeRead, PixelFormat32bppARGB, &data) != Ok) return {};
  RgbaImage out{static_cast<int>(data.Width), static_cast<int>(data.Height), {}};
  out.pixels.resize(std::size_t{data.Width} * data.Height * 4);
  for (UINT y = 0; y < data.Height; ++y) {
    const auto* px = static_cast<const std::uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
    std::uint8_t* to = out.pixels.data() + std::size_t{y} * data.Width * 4;
    for (UINT x = 0; x < data.Width; ++x, px += 4, to += 4) {
      to[0] = px[2];
      to[1] = px[1];
      to[2] = px[0];
      to[3] = px[3];
    }
  }
  GdipBitmapUnlockBits(bitmap_, &data);
  return out;
}

void ImageCodecEx::dispose() {
  if (bitmap_) GdipDisposeImage(bitmap_);
  bitmap_ = nullptr;
  input_.reset();
}

RgbaImage DecodeWithCodec(ByteSpan bytes) {
  ImageCodecEx codec;
  if (!codec.createFromBytes(bytes)) return {};
  return codec.toRgba();
}
