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
// them), else a copy.
bool MakeAlias(AliasWay way, const std::wstring& source, const std::wstring& alias) {
  if (way != AliasWay::Copy) {
    const DWORD attributes = GetFileAttributesW(source.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (!readOnly && CreateHardLinkW(alias.c_str(), source.c_str(), nullptr)) return true;
  }
  return CopyFileW(source.c_str(), alias.c_str(), TRUE) != 0;
}

}  // namespace

void ForceAliasWayForTesting(AliasWay way) { gForcedWay = way; }

ToolArgument AnsiToolArgument(const WorkFolder& work, const std::string& path) {
  if (!ProcessTextIsUtf8()) return {path, {}};  // the process's text is the tool's already
  const UINT ansi = SystemAnsiCodePage();
  const std::wstring wide = WideFromUtf8(path);
  if (wide.empty()) return {};
  AliasWay way = gForcedWay;
  if (way == AliasWay::Natural && Spellable(wide, ansi)) return {path, {}};

  if (way == AliasWay::Natural || way == AliasWay::ShortName) {
    const std::wstring shortName = ShortName(wide);
    // Two names may share one short name (Wine makes them by hashing, and
    // collisions happen): taken only when it leads to this very file.
    if (!shortName.empty() && Spellable(shortName, ansi) && IsSameFile(Utf8FromWide(shortName), path)) {
      return {Utf8FromWide(shortName), {}};
    }
    if (way == AliasWay::ShortName) return {};
  }
  if (work.path().empty()) return {};
  const std::wstring folder = WideFromUtf8(work.path());
  const std::wstring name = AliasName(wide);
  const bool bare = way == AliasWay::BareInWorkFolder || !Spellable(folder, ansi);
  if (way == AliasWay::BareInWorkFolder) way = AliasWay::Natural;
  if (!MakeAlias(way, wide, folder + L"\\" + name)) return {};
  if (bare) return {Utf8FromWide(name), work.path()};
  return {work.file(Utf8FromWide(name)), {}};
}
