#include "app/FileRoute.h"

namespace {

// What browsers and download tools put after the name of a file they are
// still fetching.
constexpr std::string_view kDownloadSuffixes[] = {".part", ".partial", ".crdownload", ".download"};

const InputKind* KindByExtension(std::string_view extension, std::span<const InputKind> kinds) {
  for (const InputKind& kind : kinds) {
    if (EqualsIgnoringAsciiCase(extension, kind.extension)) return &kind;
  }
  return nullptr;
}

}  // namespace

const InputKind* KindByPath(std::string_view path, std::span<const InputKind> kinds, LeadBytePredicate isLead) {
  std::string_view name = FileNameOf(path, isLead);
  std::string_view extension = FileNameExtension(name, isLead);
  for (std::string_view suffix : kDownloadSuffixes) {
    if (!extension.empty() && EqualsIgnoringAsciiCase(extension, suffix)) {
      name.remove_suffix(extension.size());
      extension = FileNameExtension(name, isLead);
      break;
    }
  }
  return KindByExtension(extension, kinds);
}

std::string ImportPatterns(std::span<const InputKind> kinds) {
  std::string patterns;
  for (const InputKind& kind : kinds) {
    if (!patterns.empty()) patterns += ';';
    patterns += '*';
    patterns += kind.extension;
  }
  return patterns;
}

std::vector<ImportFilter> ImportFilters(std::span<const InputKind> kinds) {
  static constexpr struct {
    InputFamily family;
    std::string_view name;
  } kFamilies[] = {
      {InputFamily::Android, "安卓 Android"},
      {InputFamily::Ios, "iOS"},
      {InputFamily::Windows, "Windows"},
      {InputFamily::Linux, "Linux"},
      {InputFamily::Macos, "macOS"},
      {InputFamily::Extensions, "浏览器扩展 Browser extensions"},
      {InputFamily::Pictures, "图片 Pictures"},
  };
  std::vector<ImportFilter> filters{{"所有支持的文件 All supported",
                                     ImportPatterns(kinds)}};
  for (const auto& family : kFamilies) {
    std::vector<InputKind> members;
    for (const InputKind& kind : kinds) {
      if (kind.family == family.family) members.push_back(kind);
    }
    if (!members.empty()) filters.push_back({std::string(family.name), ImportPatterns(members)});
  }
  filters.push_back({"所有文件 All files", "*.*"});
  return filters;
}
