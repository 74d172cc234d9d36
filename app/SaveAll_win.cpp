#include "app/SaveAll_win.h"

#include <string>

#include "app/BatchPlan.h"
#include "image/Picture_win.h"
#include "output/FileDialog_win.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "support/TextScan.h"
#include "support/UserSettings_win.h"

namespace {

constexpr wchar_t kTitle[] = L"全部保存 Save all";

bool AskToReplaceSome(HWND owner, std::size_t count) {
  const std::wstring n = std::to_wstring(count);
  const std::wstring text = L"文件夹里已有 " + n + L" 个同名文件。\n要替换它们吗?\n\n" + n +
                            L" of these files already exist in the folder.\nDo you want to replace them?";
  return MessageBoxW(owner, text.c_str(), kTitle, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

}  // namespace

int SaveAllIcons(HWND owner, const std::vector<ImportOutcome>& outcomes) {
  std::vector<std::string> names;
  for (const ImportOutcome& outcome : outcomes) names.emplace_back(FileNameOf(outcome.path, SystemLeadByte));
  const std::string folder = ChooseFolder(owner, ReadUserSetting(kSaveFolderSetting), kTitle);
  if (folder.empty()) return 0;
  const std::string base = folder.back() == '\\' ? folder : folder + "\\";
  const std::vector<std::string> saveNames = BatchOutputNames(names, SystemFoldedName);
  std::vector<std::string> targets(outcomes.size());
  std::size_t existing = 0;
  for (std::size_t i = 0; i < outcomes.size(); ++i) {
    if (outcomes[i].icon.empty()) continue;
    targets[i] = base + saveNames[i];
    // A file given in is never replaced by an icon.
    for (const ImportOutcome& source : outcomes) {
      if (IsSameFile(targets[i], source.path)) targets[i].clear();
    }
    if (!targets[i].empty() && PathExists(targets[i])) ++existing;
  }
  if (existing > 0 && !AskToReplaceSome(owner, existing)) return 0;
  int written = 0;
  for (std::size_t i = 0; i < outcomes.size(); ++i) {
    if (targets[i].empty()) continue;
    const Bytes png = PictureAsPng(outcomes[i].icon);
    if (png.empty() || !WriteFileAtomically(targets[i], png)) {
      MessageBoxW(owner, (WideFromAnsi(saveNames[i]) + L"\n\n" + SystemErrorText(GetLastError())).c_str(), kTitle,
                  MB_OK | MB_ICONERROR);
      break;
    }
    ++written;
  }
  WriteUserSetting(kSaveFolderSetting, folder);
  return written;
}
