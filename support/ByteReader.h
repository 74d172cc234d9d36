#pragma once
// A reader over untrusted bytes that never runs off the end: a read past the
// end gives 0 and clears ok(), which stays cleared, so a parser can read a
// whole structure and check once.
#include <cstddef>
#include <cstdint>

#include "support/Bytes.h"

class ByteReader {
 public:
  explicit ByteReader(ByteSpan bytes, std::size_t at = 0) : bytes_(bytes), at_(at) {
    if (at > bytes.size()) ok_ = false;
  }

  bool ok() const { return ok_; }
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

  // A view of the next n bytes; empty (and !ok()) when they are not there.
  ByteSpan take(std::size_t n) {
    if (!has(n)) { ok_ = false; return {}; }
    ByteSpan out = bytes_.subspan(at_, n);
    at_ += n;
    return out;
  }

 private:
  bool has(std::size_t n) const { return ok_ && n <= bytes_.size() - at_; }
  std::uint8_t fail() { ok_ = false; return 0; }

  ByteSpan bytes_;
  std::size_t at_ = 0;
  bool ok_ = true;
};
