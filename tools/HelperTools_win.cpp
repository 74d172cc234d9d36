#include "tools/HelperTools_win.h"

#include "support/FileIo_win.h"
#include "tools/HelperTools.h"

namespace {
const auto kRawDataType = MAKEINTRESOURCEW(10);  // RT_RCDATA
}  // namespace

ByteSpan CarriedToolBytes(HMODULE module, int resourceId) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), kRawDataType);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data || size == 0) return {};
  return {static_cast<const std::uint8_t*>(data), size};
}

// A file cut short by an interrupted start, or an older tool left by an
// older build, is replaced; an identical one is left untouched.
void DeployHelperTools(HMODULE module, const std::string& folder) {
  for (const HelperTool& tool : kHelperTools) {
    const ByteSpan bytes = CarriedToolBytes(module, tool.resourceId);
    if (bytes.empty()) continue;
    const std::string path = folder + "\\" + tool.fileName;
    if (!FileHoldsBytes(path, bytes)) WriteFileAtomically(path, bytes, TargetProtection::Override);
    SetFileAttributesAt(path, FILE_ATTRIBUTE_HIDDEN);
  }
}
