#include "support/Gzip.h"

#include <algorithm>
#include <climits>

#include <zlib.h>

namespace {

// zlib's stream with its end on every path out.
class Inflater {
 public:
  // windowBits as inflateInit2 takes them.
  explicit Inflater(int windowBits) { ok_ = inflateInit2(&stream_, windowBits) == Z_OK; }
  ~Inflater() {
    if (ok_) inflateEnd(&stream_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  bool ok() const { return ok_; }
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

// The output buffer starts small and doubles, so a large cap costs nothing
// for a small file.
constexpr std::size_t kFirstOutput = 64 * 1024;

// Inflates all of `in` through zlib, up to maxOutput bytes; empty when the
// stream is damaged, ends early or goes beyond maxOutput.
Bytes Inflate(ByteSpan in, int windowBits, std::size_t maxOutput) {
  // zlib counts input in unsigned int; no file we inflate comes near that.
  if (in.size() > UINT_MAX) return {};
  Inflater inflater(windowBits);
  if (!inflater.ok()) return {};
  z_stream& stream = inflater.stream();
  stream.next_in = const_cast<Bytef*>(in.data());
  stream.avail_in = static_cast<uInt>(in.size());

  Bytes out(std::min(maxOutput, kFirstOutput));
  std::size_t produced = 0;
  for (;;) {
    if (produced == out.size()) {
      if (out.size() == maxOutput) {
        // Full at the cap: the data fits only if the stream ends without
        // one byte more.
        Bytef probe = 0;
        stream.next_out = &probe;
        stream.avail_out = 1;
        const int status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_STREAM_END || stream.avail_out == 0) return {};
        return out;
      }
      out.resize(maxOutput - out.size() < out.size() ? maxOutput : out.size() * 2);
    }
    const std::size_t room = std::min<std::size_t>(out.size() - produced, UINT_MAX);
    stream.next_out = out.data() + produced;
    stream.avail_out = static_cast<uInt>(room);
    const int status = inflate(&stream, Z_NO_FLUSH);
    produced += room - stream.avail_out;
    if (status == Z_STREAM_END) {
      out.resize(produced);
      return out;
    }
    // Z_BUF_ERROR with room left: the input ended before the stream did.
    if (status != Z_OK || (stream.avail_out != 0 && stream.avail_in == 0)) return {};
  }
}

}  // namespace

Bytes InflateGzip(ByteSpan gz, std::size_t maxOutput) {
  if (gz.size() < 2 || gz[0] != 0x1f || gz[1] != 0x8b) return {};
  // 16 + the largest window: a gzip wrapper, and nothing else, is accepted.
  return Inflate(gz, 16 + MAX_WBITS, maxOutput);
}

Bytes InflateRaw(ByteSpan deflated, std::size_t size) {
  Bytes out = Inflate(deflated, -MAX_WBITS, size);
  return out.size() == size ? out : Bytes();
}

std::uint32_t Crc32(ByteSpan bytes) {
  uLong crc = crc32(0, Z_NULL, 0);
  for (std::size_t at = 0; at < bytes.size();) {
    const uInt n = static_cast<uInt>(std::min<std::size_t>(bytes.size() - at, UINT_MAX));
    crc = crc32(crc, bytes.data() + at, n);
    at += n;
  }
  return static_cast<std::uint32_t>(crc);
}
