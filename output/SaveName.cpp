#include "output/SaveName.h"

std::string PngSaveName(std::string_view chosenPath, LeadBytePredicate isLead) {
  const std::size_t slash = FindLastText(chosenPath, "\\", isLead);
  const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  std::string result(chosenPath.substr(0, nameStart));
  std::string_view name = chosenPath.substr(nameStart);
  for (std::size_t at; (at = FindText(name, ".png", isLead)) != std::string_view::npos;) {
    result.append(name.substr(0, at));
    name.remove_prefix(at + 4);
  }
  result.append(name);
  return result + ".png";
}
