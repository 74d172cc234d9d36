#include "tools/CapturedOutput.h"

#include <algorithm>

void AppendCapturedChunk(std::string& output, std::span<const char> chunk, std::size_t cap) {
  const auto zero = std::find(chunk.begin(), chunk.end(), '\0');
  const std::size_t text = static_cast<std::size_t>(zero - chunk.begin());
  const std::size_t room = output.size() < cap ? cap - output.size() : 0;
  output.append(chunk.data(), std::min(text, room));
}
