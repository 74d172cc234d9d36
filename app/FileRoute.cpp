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
    if (!kind.listedInImportDialog) continue;
    if (!patterns.empty()) patterns += ';';
    patterns += '*';
    patterns += kind.extension;
  }
  return patterns;
}
