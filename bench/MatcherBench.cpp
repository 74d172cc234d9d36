// The pattern matcher on a 100,000-line archive listing, with the iOS
// pipeline's icon-line pattern. Native build.
#include <chrono>
#include <cstdio>
#include <string>

#include "support/PatternMatcher.h"

namespace {

std::u16string Widen(std::string_view s) { return std::u16string(s.begin(), s.end()); }
std::string Narrow(std::u16string_view s) { return std::string(s.begin(), s.end()); }

}  // namespace

int main() {
  std::string listing;
  for (int i = 0; i < 100000; ++i) {
    listing += "2023-01-17 14:32:08 .....        " + std::to_string(1000 + i) + "        " +
               std::to_string(900 + i) + "  Payload\\Foo.app\\" +
               (i % 5000 == 7 ? "AppIcon60x60@" + std::to_string(i) + "x.png" : "assets/file" + std::to_string(i) + ".dat") +
               "\r\n";
  }
  PatternMatcher matcher(NarrowCodec{Widen, Narrow});
  const auto t0 = std::chrono::steady_clock::now();
  matcher.search("[1-9][0-9]{0,}\\s(.*?)AppIcon(.*?).png", listing);
  const auto t1 = std::chrono::steady_clock::now();
  std::printf("matcher: %d matches in a %zu-byte, 100000-line listing: %.1f ms\n", matcher.matchCount(),
              listing.size(), std::chrono::duration<double, std::milli>(t1 - t0).count());
  return matcher.matchCount() == 20 ? 0 : 1;
}
