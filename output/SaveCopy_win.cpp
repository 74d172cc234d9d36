#include "output/SaveCopy_win.h"

#include "image/ImageFormat.h"
#include "image/Picture_win.h"
#include "output/PictureBox_win.h"
#include "output/SaveName.h"
#include "support/FileIo_win.h"
#include "support/ScopedWin_win.h"
#include "support/TextCodec_win.h"
#include "support/TextScan.h"
#include "support/UserSettings_win.h"

namespace {

// The platform's own replace question, worded as the save dialog words it.
bool AskToReplace(HWND owner, const std::string& path) {
  // Split after widening: on code page 936 a backslash byte can be the
  // second half of a character.
  const std::wstring wide = WideFromAnsi(path);
  const std::wstring name = wide.substr(wide.find_last_of(L"\\/") + 1);
  const std::wstring text = name + L" 已存在。\n要替换它吗?\n\n" + name + L" already exists.\nDo you want to replace it?";
  return MessageBoxW(owner, text.c_str(), L"确认另存为 Confirm Save As", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// The system's own words for an error, in a message box.
void ShowSystemError(HWND owner, DWORD error) {
  MessageBoxW(owner, SystemErrorText(error).c_str(), L"保存图片", MB_OK | MB_ICONERROR);
}

}  // namespace

std::string SaveNameFor(SaveFormat format, const std::string& confirmedPath) {
  return format == SaveFormat::Icon ? IcoSaveName(confirmedPath, SystemLeadByte) : PngSaveName(confirmedPath, SystemLeadByte);
}

SaveOutcome SavePictureTo(ByteSpan picture, const std::string& confirmedPath, const ReplaceQuestion& askReplace,
                          SaveFormat format, std::size_t image) {
  const std::string path = SaveNameFor(format, confirmedPath);
  // The dialog asked about the name as chosen in it, not about this one.
  if (path != confirmedPath && PathExists(path) &&
      !askReplace(path)) {
    return SaveOutcome::Declined;
  }
  const Bytes file = format == SaveFormat::Icon ? PictureAsIcon(picture) : ChosenImageAsPng(picture, image);
  if (file.empty()) {
    SetLastError(ERROR_INVALID_DATA);
    return SaveOutcome::Failed;
  }
  return WriteFileAtomically(path, file) ? SaveOutcome::Saved : SaveOutcome::Failed;
}

void SaveIconAs(HWND owner, const PictureStore& store, FileDialog& dialog) {
  if (!store.hasPicture()) return;  // Ctrl+S with nothing shown
  dialog.setKind(FileDialog::Kind::Save);
  // An icon group can be saved whole; PNG stays the first choice.
  const bool group = SniffImageFormat(store.picture()) == ImageFormat::Icon;
  dialog.setFilter(group ? L"图片文件(*.png)|*.png|图标文件(*.ico)|*.ico" : L"图片文件(*.png)|*.png");
  // The last save's type, where this picture can be saved so.
  dialog.setFilterIndex(group && ReadUserSetting(kSaveTypeSetting) == "ico" ? 2 : 1);
  const std::string& source = store.source();
  // Named after the source, in the folder of the last save when there was one.
  std::string proposal = source.empty() ? dialog.fileName() : source;
  const std::string savedIn = ReadUserSetting(kSaveFolderSetting);
  if (!savedIn.empty() && !proposal.empty()) proposal = savedIn + "\\" + std::string(FileNameOf(proposal, SystemLeadByte));
  dialog.setInitialFolder(savedIn);
  dialog.setFileName(SaveProposal(proposal, SystemLeadByte, PathExists));
  while (dialog.show(owner)) {
    const SaveFormat format = group && dialog.filterIndex() == 2 ? SaveFormat::Icon : SaveFormat::Png;
    // The file the picture came from is never replaced by its own icon;
    // said before any question about replacing.
    if (IsSameFile(SaveNameFor(format, dialog.fileName()), source)) {
      MessageBoxW(owner,
                  L"这是图标所在的文件本身，不能覆盖。\n请换一个文件名。\n\n"
                  L"This is the file the icon comes from: it cannot be replaced.\nPlease choose another name.",
                  L"保存图片 Save picture", MB_OK | MB_ICONWARNING);
      continue;
    }
    const SaveOutcome outcome = SavePictureTo(store.picture(), dialog.fileName(),
                                              [owner](const std::string& path) { return AskToReplace(owner, path); }, format,
                                              store.chosenImage());
    if (outcome == SaveOutcome::Declined) continue;  // No to the replace question: choose again
    // The user confirmed a save that did not happen: never let it look done.
    if (outcome == SaveOutcome::Failed) {
      ShowSystemError(owner, GetLastError());
    } else {
      WriteUserSetting(kSaveFolderSetting, FolderOf(dialog.fileName()));
      if (group) WriteUserSetting(kSaveTypeSetting, format == SaveFormat::Icon ? "ico" : "png");
    }
    return;
  }
}

HWND FocusWindowOfForeground() {
  HWND foreground = GetForegroundWindow();
  const DWORD self = GetCurrentThreadId();
  const DWORD other = foreground ? GetWindowThreadProcessId(foreground, nullptr) : self;
  if (other == self) return GetFocus();
  AttachThreadInput(other, self, TRUE);
  HWND focus = GetFocus();
  AttachThreadInput(other, self, FALSE);
  return focus;
}

void CopyIconToClipboard(HWND owner, const PictureStore& store) {
  if (!store.hasPicture()) return;  // the clipboard keeps what the user copied
  ScopedGdiObject<HBITMAP> bitmap(
      CreateOpaqueBitmap(DecodeChosenImage(store.picture(), store.chosenImage()), RGB(255, 255, 255)));
  HWND focus = FocusWindowOfForeground();
  const ScopedClipboard clipboard(focus ? focus : owner);
  if (!clipboard.opened()) return;
  EmptyClipboard();
  // Once set, the bitmap belongs to the clipboard.
  if (bitmap && SetClipboardData(CF_BITMAP, bitmap.get())) bitmap.release();
  // The registered "PNG" format beside it keeps the transparency for the
  // programs that read it (office suites, browsers, image editors).
  const Bytes png = ChosenImageAsPng(store.picture(), store.chosenImage());
  if (HGLOBAL memory = png.empty() ? nullptr : CopyToGlobalMemory(png.data(), png.size())) {
    if (!SetClipboardData(RegisterClipboardFormatW(L"PNG"), memory)) GlobalFree(memory);
  }
}
