// Fuzz target for reading the packaging tool's resource values listing:
// every resource read has a value, and its preferred value is one of them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "android/ResourceValues.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const ResourceValues values = ParseResourceValues(input);
  for (const auto& [id, resource] : values.byId) {
    if (resource.values.empty() || resource.preferred >= resource.values.size()) __builtin_trap();
    if (values.preferred(id) != &resource.values[resource.preferred]) __builtin_trap();
    for (const ResourceConfigValue& value : resource.values) {
      if (value.config.size() > input.size() || value.value.string.size() > input.size()) __builtin_trap();
    }
  }
  return 0;
}
