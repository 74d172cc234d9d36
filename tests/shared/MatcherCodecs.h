#pragma once
// The code pages the shared matcher tests run under: natively GBK and
// code page 1252 through iconv; on Windows the system code page.
#include <ostream>
#include <string>
#include <vector>

#include "support/PatternMatcher.h"

struct NamedCodec {
  std::string name;
  const NarrowCodec* codec;
};

std::vector<NamedCodec> MatcherTestCodecs();

inline void PrintTo(const NamedCodec& codec, std::ostream* out) { *out << codec.name; }
