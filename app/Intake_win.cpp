#include "app/Intake_win.h"

#include "app/FileRoute.h"
#include "app/Routes_win.h"
#include "image/ImageFormat.h"
#include "output/FileDialog_win.h"
#include "output/PictureStore.h"
#include "support/FileIo_win.h"
#include "support/MessagePump_win.h"
#include "support/TextCodec_win.h"
#include "support/UserSettings_win.h"
#include "tools/ConsoleRunner_win.h"
#include "windows/ShortcutIcon_win.h"

namespace {

// A shortcut to a shortcut to ...: followed this far, no further.
constexpr int kMaxShortcutHops = 4;

}  // namespace

IconReason DispatchFile(const PipelineContext& context, PictureStore& picture, const std::string& path) {
  std::string input = path;
  const InputRoute* route = RouteByPath(input, InputRoutes(), SystemLeadByte);
  // A shortcut stands for its target, routed like any file (a shortcut to a
  // package gives the package's icon). A target of no known kind stays with
  // the shortcut route, which reads it as a program.
  bool refused = false;
  for (int hop = 0; route && route->id == RouteId::Shortcut && hop < kMaxShortcutHops && !refused; ++hop) {
    const std::string target = ShortcutTargetPath(input, &refused);
    const InputRoute* targetRoute = target.empty() ? nullptr : RouteByPath(target, InputRoutes(), SystemLeadByte);
    if (!targetRoute) break;
    input = target;
    route = targetRoute;
  }
  if (!route) {
    // Nothing to take in: what is shown stays, and a word says why.
    picture.announce(IconReason::Unsupported);
    return IconReason::Unsupported;
  }
  const std::uint64_t before = picture.pictureChanges();
  picture.beginRun();
  struct RunEnd {
    PictureStore& picture;
    ~RunEnd() { picture.endRun(); }
  } runEnd{picture};
  IconReason reason = refused ? IconReason::Refused : CanReadFile(input) ? IconReason::None : IconReason::Unreadable;
  Bytes icon;
  ReasonSubject subject = refused ? Because("a shortcut to a share or a device") : ReasonSubject();
  if (reason == IconReason::None) {
    // However hostile the file, this import runs a bounded number of tools
    // and writes a bounded number of bytes.
    const ImportBudget budget;
    PipelineContext reporting = context;
    reporting.reason = &reason;
    reporting.subject = &subject;
    icon = route->pipeline(reporting, input);
    // Cancelled (Escape): the picture stays as it was.
    if (budget.cancelled()) return IconReason::None;
    if (budget.exhausted()) reporting.report(IconReason::Damaged);
  }
  // Only an image the picture box draws becomes the picture: a package can
  // store anything under an icon's name.
  if (!icon.empty() && !IsPictureImage(icon)) {
    icon.clear();
    if (reason == IconReason::None) reason = IconReason::Damaged;
  }
  if (icon.empty() && reason == IconReason::None) reason = IconReason::NoIcon;
  if (!icon.empty()) reason = IconReason::None;
  // The tools run while messages are dispatched, so a drop can start a nested
  // run inside this one; what that run showed stays.
  if (picture.pictureChanges() != before) return reason;
  if (reason == IconReason::DataOnly) {
    // Its application, given with it, shows the icon.
    picture.announce(reason, subject);
    return reason;
  }
  if (icon.empty()) {
    picture.setReason(reason, subject);
  } else {
    picture.setPicture(std::move(icon), path);
  }
  return reason;
}

void DispatchFiles(const PipelineContext& context, PictureStore& picture, const std::vector<std::string>& paths) {
  for (std::size_t i = 0; i < paths.size() && !QuitRequested(); ++i) {
    PipelineContext one = context;
    for (std::size_t j = 0; j < paths.size(); ++j) {
      if (j != i) one.companions.push_back(paths[j]);
    }
    DispatchFile(one, picture, paths[i]);
  }
}

std::wstring ImportDialogFilter() {
  std::wstring filter;
  for (const ImportFilter& f : ImportFilters(InputKinds())) {
    const std::wstring patterns = WideFromUtf8(f.patterns);
    if (!filter.empty()) filter += L'|';
    // Every kind's pattern would not fit the dropdown: the first filter
    // goes by its name alone.
    filter += WideFromUtf8(f.name) + (filter.empty() ? L"" : L" (" + patterns + L")") + L"|" + patterns;
  }
  return filter;
}

void OnImportClicked(HWND owner, FileDialog& dialog, const PipelineContext& context, PictureStore& picture) {
  dialog.setKind(FileDialog::Kind::Open);
  dialog.setFilter(ImportDialogFilter());
  dialog.setFilterIndex(1);
  // The last import's folder, else the downloads folder, where packages
  // usually are: never the program's own folder.
  std::string folder = ReadUserSetting(kImportFolderSetting);
  if (folder.empty()) folder = DownloadsFolder();
  dialog.setInitialFolder(folder);
  dialog.setFileName({});
  if (!dialog.show(owner)) return;
  WriteUserSetting(kImportFolderSetting, FolderOf(dialog.fileName()));
  DispatchFile(context, picture, dialog.fileName());
}
