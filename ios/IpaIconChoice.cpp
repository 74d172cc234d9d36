#include "ios/IpaIconChoice.h"

#include <cstdint>

#include "support/TextScan.h"

namespace {

struct Candidate {
  std::int32_t size = 0;
  std::string name;
};

// The decimal value of a size column, saturated at the 32-bit maximum; the
// empty text counts as 0.
std::int32_t SizeValue(std::string_view digits) {
  if (digits.empty()) return 0;
  return static_cast<std::int32_t>(ParseDecimal(digits, INT32_MAX).value_or(INT32_MAX));
}

}  // namespace

IpaIconEntry ChooseIpaIconEntry(std::string_view listing, const NarrowCodec& codec) {
  PatternMatcher lines(codec), columns(codec);
  lines.search("[1-9][0-9]{0,}\\s(.*?)AppIcon(.*?).png", listing);
  if (lines.matchCount() == 0) lines.search("[1-9][0-9]{0,}\\s(.*?)AppIcon(.*?).webp", listing);
  const int n = lines.matchCount();

  Candidate previous, best;
  for (int i = 1; i <= n && i <= 3; ++i) {
    // The entry runs to the last "png" of the line's match, which ends at the
    // icon's own extension: a bundle folder such as pngview.app stays whole.
    columns.search("(\\d+)\\s+([1-9][0-9]{0,})\\s+(.*).png", lines.matchText(i));
    const Candidate candidate{SizeValue(columns.subMatchText(1, 1)), columns.subMatchText(1, 3)};
    if (n == 1) best = candidate;
    if (i == 2) best = candidate.size > previous.size ? candidate : previous;
    if (i == 3 && candidate.size > best.size) best = candidate;
    previous = candidate;
  }
  return {best.name, best.size};
}

std::string ChooseIpaIcon(std::string_view listing, const NarrowCodec& codec) {
  return ChooseIpaIconEntry(listing, codec).name;
}
