#include "image/PngNormalize_win.h"

#include "image/ImageCodec_win.h"

Bytes ReencodeImage(ByteSpan bytes, int formatIndex, int quality) {
  StartCodec();
  ImageCodec codec;
  if (!codec.loadFromBytes(bytes)) return {};
  return codec.encodeToBytes(formatIndex, quality, true);
}
