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

const InputRoute* RouteByPath(std::string_view path, std::span<const InputRoute> routes, LeadBytePredicate isLead) {
  const std::string_view extension = OwnExtension(path, isLead);
  for (const InputRoute& route : routes) {
    if (EqualsIgnoringAsciiCase(extension, route.extension)) return &route;
  }
  for (const InputRoute& route : routes) {
    if (FindText(path, route.extension, isLead) != std::string_view::npos) return &route;
  }
  return nullptr;
}

std::string ImportPatterns(std::span<const InputRoute> routes) {
  std::string patterns;
  for (const InputRoute& route : routes) {
    if (!route.listedInImportDialog) continue;
    if (!patterns.empty()) patterns += ';';
    patterns += '*';
    patterns += route.extension;
  }
  return patterns;
}
