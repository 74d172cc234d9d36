#pragma once
// A reader over untrusted bytes that never runs off the end: a read past the
// end gives 0 and clears ok(), which stays cleared, so a parser can read a
// whole structure and check once. Structures that point into themselves
// (offset tables, directories at the end) are read at an offset, in either
// byte order; sequential reads follow a cursor.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#include "support/Bytes.h"

// Checked size arithmetic for counts, lengths and offsets read from
// untrusted bytes: true when the result neither wraps nor passes limit. The
// default limit, the largest std::size_t, is what can still index memory;
// a reader passes the size of what it reads (the buffer, the file) instead,
// so one check says both "does not wrap" and "lies within". Checking before
// computing keeps a huge length from wrapping round to a small, plausible one.
inline constexpr std::uint64_t kMaxSize = std::numeric_limits<std::size_t>::max();

// a + b <= limit.
constexpr bool AddSizesValid(std::uint64_t a, std::uint64_t b, std::uint64_t limit = kMaxSize) {
  return a <= limit && b <= limit - a;
}
// a * b <= limit.
constexpr bool MulSizesValid(std::uint64_t a, std::uint64_t b, std::uint64_t limit = kMaxSize) {
  return b == 0 || a <= limit / b;
}
// a * b + c <= limit.
constexpr bool MadSizesValid(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t limit = kMaxSize) {
  return c <= limit && MulSizesValid(a, b, limit - c);
}

enum class ByteOrder { Little, Big };

class ByteReader {
 public:
  explicit ByteReader(ByteSpan bytes, std::size_t at = 0) : bytes_(bytes), at_(at) {
    if (at > bytes.size()) ok_ = false;
  }
  // Text read as bytes (a binary property list handed over as text).
  explicit ByteReader(std::string_view text)
      : ByteReader(ByteSpan(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())) {}

  bool ok() const { return ok_; }
  std::size_t size() const { return bytes_.size(); }
  std::size_t position() const { return at_; }
  std::size_t remaining() const { return ok_ ? bytes_.size() - at_ : 0; }

  void seek(std::size_t at) {
    if (at > bytes_.size()) ok_ = false; else at_ = at;
  }
  void skip(std::size_t n) {
    if (!has(n)) ok_ = false; else at_ += n;
  }

  std::uint8_t u8() { return has(1) ? bytes_[at_++] : fail(); }
  // Each byte into its own local: the operands of one expression are not
  // evaluated in any set order.
  std::uint16_t u16le() {
    const std::uint16_t lo = u8();
    const std::uint16_t hi = u8();
    return static_cast<std::uint16_t>(lo | (hi << 8));
  }
  std::uint32_t u32le() {
    const std::uint32_t lo = u16le();
    const std::uint32_t hi = u16le();
    return lo | (hi << 16);
  }
  std::uint32_t u32be() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | u8();
    return v;
  }
  std::int32_t i32le() { return static_cast<std::int32_t>(u32le()); }

  // Reads at an offset, which leave the cursor alone: n bytes from off are
  // all there or the answer is 0 (an empty view) and ok() is cleared. They
  // answer after an earlier failure too, so a parser may check once at the end.
  // An unsigned number of n bytes (at most 8).
  std::uint64_t uintAt(std::size_t off, std::size_t n, ByteOrder order) {
    if (n > 8 || !within(off, n)) return fail();
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v = v << 8 | bytes_[off + (order == ByteOrder::Big ? i : n - 1 - i)];
    return v;
  }
  std::uint8_t u8At(std::size_t off) { return static_cast<std::uint8_t>(uintAt(off, 1, ByteOrder::Little)); }
  std::uint16_t u16leAt(std::size_t off) { return static_cast<std::uint16_t>(uintAt(off, 2, ByteOrder::Little)); }
  std::uint16_t u16beAt(std::size_t off) { return static_cast<std::uint16_t>(uintAt(off, 2, ByteOrder::Big)); }
  std::uint32_t u32leAt(std::size_t off) { return static_cast<std::uint32_t>(uintAt(off, 4, ByteOrder::Little)); }
  std::uint32_t u32beAt(std::size_t off) { return static_cast<std::uint32_t>(uintAt(off, 4, ByteOrder::Big)); }
  std::uint64_t u64leAt(std::size_t off) { return uintAt(off, 8, ByteOrder::Little); }
  std::uint64_t u64beAt(std::size_t off) { return uintAt(off, 8, ByteOrder::Big); }
  ByteSpan bytesAt(std::size_t off, std::size_t n) {
    if (!within(off, n)) { ok_ = false; return {}; }
    return bytes_.subspan(off, n);
  }
  std::string_view textAt(std::size_t off, std::size_t n) { return AsText(bytesAt(off, n)); }

  // A view of the next n bytes; empty (and !ok()) when they are not there.
  ByteSpan take(std::size_t n) {
    if (!has(n)) { ok_ = false; return {}; }
    ByteSpan out = bytes_.subspan(at_, n);
    at_ += n;
    return out;
  }

 private:
  bool has(std::size_t n) const { return ok_ && n <= bytes_.size() - at_; }
  bool within(std::size_t off, std::size_t n) const { return off <= bytes_.size() && n <= bytes_.size() - off; }
  std::uint8_t fail() { ok_ = false; return 0; }

  ByteSpan bytes_;
  std::size_t at_ = 0;
  bool ok_ = true;
};
