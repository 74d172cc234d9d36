#include "support/Gzip.h"

#include <algorithm>
#include <climits>

#include <zlib.h>

namespace {

// zlib's stream with its end on every path out.
class Inflater {
 public:
  Inflater() {
    // 16 + the largest window: a gzip wrapper, and nothing else, is accepted.
    ok_ = inflateInit2(&stream_, 16 + MAX_WBITS) == Z_OK;
  }
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

}  // namespace

Bytes InflateGzip(ByteSpan gz, std::size_t maxOutput) {
  // zlib counts input in unsigned int; no file we inflate comes near that.
  if (gz.size() < 2 || gz[0] != 0x1f || gz[1] != 0x8b || gz.size() > UINT_MAX) return {};
  Inflater inflater;
  if (!inflater.ok()) return {};
  z_stream& stream = inflater.stream();
  stream.next_in = const_cast<Bytef*>(gz.data());
  stream.avail_in = static_cast<uInt>(gz.size());

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
