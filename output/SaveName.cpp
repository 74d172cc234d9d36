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

namespace {

bool IsPictureExtension(std::string_view extension) {
  return EqualsIgnoringAsciiCase(extension, ".png") || EqualsIgnoringAsciiCase(extension, ".ico");
}

}  // namespace

std::string IcoSaveName(std::string_view chosenPath, LeadBytePredicate isLead) {
  const std::string_view extension = FileNameExtension(chosenPath, isLead);
  if (IsPictureExtension(extension)) chosenPath.remove_suffix(extension.size());
  return std::string(chosenPath) + ".ico";
}

std::string SaveProposal(std::string_view sourcePath, LeadBytePredicate isLead,
                         const std::function<bool(const std::string&)>& exists) {
  if (sourcePath.empty()) return {};
  const std::string_view extension = FileNameExtension(sourcePath, isLead);
  if (!IsPictureExtension(extension)) return PngSaveName(sourcePath, isLead);
  const std::string stem(sourcePath.substr(0, sourcePath.size() - extension.size()));
  std::string name = stem + " (icon).png";
  for (int n = 2; n <= 99 && exists(name); ++n) name = stem + " (icon " + std::to_string(n) + ").png";
  return name;
}
