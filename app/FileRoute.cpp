#include "app/FileRoute.h"

namespace {

// The last component's extension, dot included; empty when it has none.
std::string_view OwnExtension(std::string_view path, LeadBytePredicate isLead) {
  std::size_t nameStart = 0;
  for (std::string_view separator : {"\\", "/"}) {
    const std::size_t at = FindLastText(path, separator, isLead);
    if (at != std::string_view::npos && at + 1 > nameStart) nameStart = at + 1;
  }
  const std::string_view name = path.substr(nameStart);
  const std::size_t dot = FindLastText(name, ".", isLead);
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

}  // namespace

const InputKind* KindByPath(std::string_view path, std::span<const InputKind> kinds, LeadBytePredicate isLead) {
  const std::string_view extension = OwnExtension(path, isLead);
  for (const InputKind& kind : kinds) {
    if (EqualsIgnoringAsciiCase(extension, kind.extension)) return &kind;
  }
  for (const InputKind& kind : kinds) {
    if (FindText(path, kind.extension, isLead) != std::string_view::npos) return &kind;
  }
  return nullptr;
}

std::string ImportPatterns(std::span<const InputKind> kinds) {
  std::string patterns;
  for (const InputKind& kind : kinds) {
    if (!kind.listedInImportDialog) continue;
    if (!patterns.empty()) patterns += ';';
    patterns += '*';
    patterns += kind.extension;
  }
  return patterns;
}
