#pragma once
// Owned image and file bytes, and read-only views of them. The empty buffer
// stands for "nothing": a failed read, no image, no icon.
#include <cstdint>
#include <span>
#include <vector>

using Bytes = std::vector<std::uint8_t>;
using ByteSpan = std::span<const std::uint8_t>;
