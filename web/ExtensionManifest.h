#pragma once
// Browser extensions (.crx, .xpi): a ZIP whose manifest.json names the
// icons by size.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/Bytes.h"

inline constexpr std::size_t kMaxExtensionManifestBytes = 1u << 20;

// The icon files the manifest names, best first: its "icons" object's
// files, the largest size key first; without one, the default_icon of
// "action", "browser_action" or "page_action" (a file, or files by size).
// Paths as written ("icons/128.png", a leading "/" dropped); empty for a
// damaged manifest.
std::vector<std::string> ExtensionIconPaths(std::string_view manifest);

// True when the file starts as a packed extension does: "Cr24" and a
// version of 2 or 3 (the ZIP follows the header).
bool IsCrxHeader(ByteSpan start);

// Where a packed extension's ZIP starts: after CRX3's header (its length at
// 8) or after CRX2's key and signature (their lengths at 8 and 12). Nothing
// when the file does not start as a packed extension or its header reaches
// beyond it.
std::optional<std::size_t> CrxZipOffset(ByteSpan file);
