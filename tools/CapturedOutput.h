#pragma once
// How a helper tool's output is gathered: the bytes of each read from its
// pipe are appended as text up to their first zero byte, so a zero byte cuts
// the rest of the read it arrives in but not later ones.
#include <cstddef>
#include <span>
#include <string>

// Tool output kept in memory is capped; a tool that prints more (a listing of
// a hostile archive) has the excess read and dropped, never stored.
inline constexpr std::size_t kMaxCapturedOutput = 256u << 20;

void AppendCapturedChunk(std::string& output, std::span<const char> chunk,
                         std::size_t cap = kMaxCapturedOutput);
