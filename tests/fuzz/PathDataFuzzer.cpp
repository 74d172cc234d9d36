// Fuzz target for the path-data reader: the input is the path text. What
// comes out is finite, starts with a move, and took exactly its own count
// from the budget.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "draw/Drawing.h"
#include "draw/PathData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t budget = kMaxPathCommands;
  const auto commands = ParsePathData(text, budget);
  if (!commands) return 0;
  if (commands->size() != kMaxPathCommands - budget) __builtin_trap();
  if (!commands->empty() && commands->front().op != PathCommand::Op::MoveTo) __builtin_trap();
  for (const PathCommand& c : *commands) {
    for (double v : {c.c1.x, c.c1.y, c.c2.x, c.c2.y, c.to.x, c.to.y}) {
      if (!std::isfinite(v)) __builtin_trap();
    }
  }
  return 0;
}
