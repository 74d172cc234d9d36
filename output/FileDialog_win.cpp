#include "output/FileDialog_win.h"

#include <commdlg.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "support/ScopedWin_win.h"
#include "support/TextCodec_win.h"

namespace {

using FileNameDialogFn = BOOL(WINAPI*)(OPENFILENAMEW*);

// The dialog library is loaded, from the system folder, when a dialog is
// first shown rather than imported: it brings the print spooler with it,
// which under Wine was the largest single cost of starting the program.
FileNameDialogFn FileNameDialog(FileDialog::Kind kind) {
  static const HMODULE library = [] {
    wchar_t folder[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return HMODULE{};
    return LoadLibraryW((std::wstring(folder, n) + L"\\comdlg32.dll").c_str());
  }();
  if (!library) return nullptr;
  const char* name = kind == FileDialog::Kind::Open ? "GetOpenFileNameW" : "GetSaveFileNameW";
  return reinterpret_cast<FileNameDialogFn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

bool FileDialog::show(HWND owner) {
  const FileNameDialogFn dialog = FileNameDialog(kind_);
  if (!dialog) return false;

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
  ofn.nFilterIndex = static_cast<DWORD>(filterIndex_);
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  const std::wstring folder = WideFromAnsi(initialFolder_);
  if (!folder.empty()) ofn.lpstrInitialDir = folder.c_str();
  // No overwrite prompt here: the caller asks once, after its own checks.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  // File-must-exist belongs to the open dialog only: the save dialog has to
  // accept new names.
  if (kind_ == Kind::Open) ofn.Flags |= OFN_FILEMUSTEXIST;

  if (!dialog(&ofn)) return false;
  fileName_ = CodePageFromWide(name.data(), CP_ACP);
  filterIndex_ = static_cast<int>(ofn.nFilterIndex);
  return true;
}

std::string ChooseFolder(HWND owner, const std::string& initialFolder, const std::wstring& title) {
  ComPtr<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                              reinterpret_cast<void**>(dialog.receive())))) {
    return {};
  }
  DWORD options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  dialog->SetTitle(title.c_str());
  if (!initialFolder.empty()) {
    ComPtr<IShellItem> folder;
    if (SUCCEEDED(SHCreateItemFromParsingName(WideFromAnsi(initialFolder).c_str(), nullptr, IID_IShellItem,
                                              reinterpret_cast<void**>(folder.receive())))) {
      dialog->SetFolder(folder.get());
    }
  }
  ComPtr<IShellItem> chosen;
  if (FAILED(dialog->Show(owner)) || FAILED(dialog->GetResult(chosen.receive()))) return {};
  PWSTR path = nullptr;
  if (FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path) return {};
  std::string folder = CodePageFromWide(path, CP_ACP);
  CoTaskMemFree(path);
  return folder;
}
