#include "tools/ToolArgument_win.h"

#include <windows.h>

#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tools/ConsoleRunner_win.h"

namespace {

AliasWay gForcedWay = AliasWay::Natural;

// The system locale's ANSI code page: what a program without the UTF-8
// manifest uses. Not CP_ACP, which is UTF-8 inside this process.
UINT SystemAnsiCodePage() {
  DWORD codePage = 0;
  if (GetLocaleInfoEx(LOCALE_NAME_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                      reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t)) == 0) {
    return 1252;
  }
  return codePage;
}

bool Spellable(const std::wstring& text, UINT codePage) { return SpellInCodePage(text, codePage).has_value(); }

bool ShortEnough(const std::wstring& path) { return path.size() <= kToolPathLimit; }

// The path's 8.3 form, asked through its extended-length form (Windows
// answers for paths beyond MAX_PATH only so) and given back without the
// prefix; empty when the system has none.
std::wstring ShortName(const std::string& path) {
  const std::wstring extended = ExtendedLengthPath(path);
  if (extended.empty()) return {};
  const DWORD n = GetShortPathNameW(extended.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring out(n, L'\0');
  const DWORD got = GetShortPathNameW(extended.c_str(), out.data(), n);
  if (got == 0 || got >= n) return {};
  out.resize(got);
  if (out.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + out.substr(8);
  if (out.rfind(L"\\\\?\\", 0) == 0) return out.substr(4);
  return out;
}

// The short name where the tool can take it: within kToolPathLimit, spelt
// in the code page, and leading to this very file (two names may share one
// short name: Wine makes them by hashing, and collisions happen). Empty
// otherwise, and always on a volume without short names.
std::string UsableShortName(const std::string& path, UINT codePage) {
  const std::wstring shortName = ShortName(path);
  if (shortName.empty() || !ShortEnough(shortName) || !Spellable(shortName, codePage)) return {};
  const std::string text = CodePageFromWide(shortName, CP_ACP);
  return IsSameFile(text, path) ? text : std::string();
}

// "input" with the file's extension where that is plain ASCII.
std::wstring AliasName(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  const std::size_t dot = path.rfind(L'.');
  std::wstring name = L"input";
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return name;
  const std::wstring extension = path.substr(dot);
  for (wchar_t c : extension) {
    if (c > 0x7E || c <= 0x20) return name;
  }
  return name + extension;
}

// A hard link where one can be made (same volume, a file system that has
// them), else a copy, which the import's byte budget pays for: a package
// larger than what is left of it is not copied at all. An alias another
// tool of the run already has is taken again when it still is this very
// file.
bool MakeAlias(AliasWay way, const std::string& source, const std::string& alias) {
  if (IsSameFile(alias, source)) return true;
  const std::wstring from = ExtendedLengthPath(source), to = ExtendedLengthPath(alias);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(from.c_str(), GetFileExInfoStandard, &data)) return false;
  const bool readOnly = data.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
  if (way != AliasWay::Copy && !readOnly && CreateHardLinkW(to.c_str(), from.c_str(), nullptr)) return true;
  const std::uint64_t size = std::uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return SpendWrittenBytes(size) && CopyFileW(from.c_str(), to.c_str(), TRUE) != 0;
}

}  // namespace

void ForceAliasWayForTesting(AliasWay way) { gForcedWay = way; }

namespace {

// The alias in the work folder, named by full path or, where the tool
// cannot take the folder's path (unspellable or too long), bare, the tool
// starting in the work folder.
ToolArgument Alias(const WorkFolder& work, const std::wstring& wide, AliasWay way, UINT codePage) {
  if (work.path().empty()) return {};
  const std::wstring folder = WideFromCodePage(work.path(), CP_ACP);
  const std::wstring name = AliasName(wide);
  const bool bare = way == AliasWay::BareInWorkFolder || !Spellable(folder, codePage) ||
                    !ShortEnough(folder + L"\\" + name);
  if (way == AliasWay::BareInWorkFolder) way = AliasWay::Natural;
  const std::string narrowName = CodePageFromWide(name, CP_ACP);
  if (!MakeAlias(way, CodePageFromWide(wide, CP_ACP), work.file(narrowName))) return {};
  if (bare) return {narrowName, work.path()};
  return {work.file(narrowName), {}};
}

}  // namespace

ToolArgument AnsiToolArgument(const WorkFolder& work, const std::string& path) {
  // Where the process's text is not UTF-8 it is the tool's already.
  const UINT ansi = ProcessTextIsUtf8() ? SystemAnsiCodePage() : GetACP();
  const std::wstring wide = WideFromAnsi(path);
  if (wide.empty()) return {};
  AliasWay way = gForcedWay;
  if (way == AliasWay::Natural && ShortEnough(wide) && Spellable(wide, ansi)) return {path, {}};

  if (way == AliasWay::Natural || way == AliasWay::ShortName) {
    if (std::string shortName = UsableShortName(path, ansi); !shortName.empty()) return {std::move(shortName), {}};
    if (way == AliasWay::ShortName) return {};
  }
  return Alias(work, wide, way, ansi);
}

ToolArgument ShortToolArgument(const WorkFolder& work, const std::string& path) {
  const std::wstring wide = WideFromAnsi(path);
  if (wide.empty()) return {};
  if (ShortEnough(wide)) return {path, {}};
  // UnZip reads its command line as UTF-8: any short name spells.
  if (std::string shortName = UsableShortName(path, CP_UTF8); !shortName.empty()) return {std::move(shortName), {}};
  ToolArgument alias = Alias(work, wide, AliasWay::Natural, CP_ACP);
  return alias.folder.empty() ? alias : ToolArgument{};  // UnZip starts in the run directory
}
