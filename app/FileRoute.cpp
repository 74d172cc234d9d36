#include "app/FileRoute.h"

#include <array>
#include <utility>

FileRoute RouteByPath(std::string_view path, LeadBytePredicate isLead) {
  static constexpr std::array<std::pair<std::string_view, FileRoute>, 5> kRoutes = {{
      {".apk", FileRoute::AndroidPackage},
      {".webp", FileRoute::WebpImage},
      {".exe", FileRoute::Executable},
      {".ipa", FileRoute::IosPackage},
      {".lnk", FileRoute::Shortcut},
  }};
  for (const auto& [extension, route] : kRoutes) {
    if (FindText(path, extension, isLead) != std::string_view::npos) return route;
  }
  return FileRoute::None;
}
