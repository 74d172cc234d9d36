#include "pictures/ImageFile.h"

#include "image/CgbiPng.h"

Bytes StandardPicture(ByteSpan bytes) {
  if (!IsCgbiPng(bytes)) return Bytes(bytes.begin(), bytes.end());
  return CgbiToPng(bytes);
}
