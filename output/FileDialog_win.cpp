#include "output/FileDialog_win.h"

#include <commdlg.h>

#include <vector>

#include "support/TextCodec_win.h"

bool FileDialog::show(HWND owner) {
  // The filter's '|' separators become the zeros the dialog expects.
  std::wstring filter = filter_;
  for (wchar_t& c : filter) if (c == L'|') c = L'\0';
  filter.append(2, L'\0');

  std::vector<wchar_t> name(32768, L'\0');
  const std::wstring proposed = WideFromAnsi(fileName_);
  proposed.copy(name.data(), name.size() - 1);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
  // File-must-exist belongs to the open dialog only: the save dialog has to
  // accept new names.
  if (kind_ == Kind::Open) ofn.Flags |= OFN_FILEMUSTEXIST;

  const BOOL confirmed = kind_ == Kind::Open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
  if (!confirmed) return false;
  fileName_ = CodePageFromWide(name.data(), CP_ACP);
  return true;
}
