#include "tools/ToolArgument_win.h"

#include <windows.h>

#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"

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

std::wstring ShortName(const std::wstring& path) {
  const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring out(n, L'\0');
  const DWORD got = GetShortPathNameW(path.c_str(), out.data(), n);
  if (got == 0 || got >= n) return {};
  out.resize(got);
  return out;
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
// them), else a copy. An alias another tool of the run already has is taken
// again when it still is this very file.
bool MakeAlias(AliasWay way, const std::string& source, const std::string& alias) {
  if (IsSameFile(alias, source)) return true;
  const std::wstring from = ExtendedLengthPath(source), to = ExtendedLengthPath(alias);
  if (way != AliasWay::Copy) {
    const DWORD attributes = GetFileAttributesW(from.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (!readOnly && CreateHardLinkW(to.c_str(), from.c_str(), nullptr)) return true;
  }
  return CopyFileW(from.c_str(), to.c_str(), TRUE) != 0;
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
    const std::wstring shortName = ShortName(wide);
    // Two names may share one short name (Wine makes them by hashing, and
    // collisions happen): taken only when it leads to this very file.
    if (!shortName.empty() && ShortEnough(shortName) && Spellable(shortName, ansi) &&
        IsSameFile(CodePageFromWide(shortName, CP_ACP), path)) {
      return {CodePageFromWide(shortName, CP_ACP), {}};
    }
    if (way == AliasWay::ShortName) return {};
  }
  return Alias(work, wide, way, ansi);
}

ToolArgument ShortToolArgument(const WorkFolder& work, const std::string& path) {
  const std::wstring wide = WideFromAnsi(path);
  if (wide.empty()) return {};
  if (ShortEnough(wide)) return {path, {}};
  ToolArgument alias = Alias(work, wide, AliasWay::Natural, CP_ACP);
  return alias.folder.empty() ? alias : ToolArgument{};  // UnZip starts in the run directory
}
