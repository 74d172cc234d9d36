// Fuzz target for the readers of untrusted executables and shortcuts. Built
// with libFuzzer by the "fuzz" preset (scripts/fuzz.sh); the same function is
// replayed over tests/fuzz/seeds/exe_shortcut and tests/fuzz/corpus/exe_shortcut
// by an ordinary test.
#include <cstddef>
#include <cstdint>

#include "image/IcoEncode.h"
#include "windows/IconGroup.h"
#include "windows/PeResources.h"
#include "windows/Shortcut.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan bytes(data, size);
  // The user's UI language comes from the input's last two bytes (which stay
  // part of the file), so the language choice is fuzzed too.
  const std::uint16_t uiLanguage = size >= 2 ? static_cast<std::uint16_t>(data[size - 2] | (data[size - 1] << 8)) : 0;
  const Bytes icon = ExtractIconFromPe(bytes, uiLanguage);
  // The icon file is either nothing or at most kMaxIconFileImages images,
  // each one of the input's resources, within the output cap.
  if (!icon.empty()) {
    const std::uint16_t count = static_cast<std::uint16_t>(icon[4] | icon[5] << 8);
    if (count == 0 || count > kMaxIconFileImages || icon.size() > 6 + 16 * count + kMaxIconFileBytes) __builtin_trap();
    for (std::uint16_t k = 0; k < count; ++k) {
      const std::size_t at = 6 + 16 * std::size_t{k} + 8;
      const std::uint32_t length = icon[at] | icon[at + 1] << 8 | icon[at + 2] << 16 | std::uint32_t{icon[at + 3]} << 24;
      if (length == 0 || length > size) __builtin_trap();
    }
  }
  PeResourceReader reader(bytes, uiLanguage);
  for (const std::uint16_t type : {kIconGroupResourceType, kIconResourceType}) {
    for (const PeResource& r : reader.list(type)) {
      if (r.data.data() < data || r.data.data() + r.data.size() > data + size) __builtin_trap();
    }
  }
  // The reader's work stays proportional to the file, however its
  // directories are shared or nested.
  if (reader.steps() > 4096 + size) __builtin_trap();
  const std::string target = ReadShortcutTarget(bytes);
  if (target.size() > size) __builtin_trap();
  const std::u16string wide = ReadShortcutUnicodeTarget(bytes);
  if (wide.size() > size) __builtin_trap();
  return 0;
}
