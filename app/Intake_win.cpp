#include "app/Intake_win.h"

#include <new>

#include "app/FileRoute.h"
#include "app/Routes_win.h"
#include "image/ImageFormat.h"
#include "output/FileDialog_win.h"
#include "output/PictureStore.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "support/UserSettings_win.h"
#include "tools/ConsoleRunner_win.h"
#include "windows/ShortcutIcon_win.h"

namespace {

// A shortcut to a shortcut to ...: followed this far, no further.
constexpr int kMaxShortcutHops = 4;

}  // namespace

ImportOutcome TakeIn(const PipelineContext& context, const std::string& path, const std::atomic<bool>* cancel) {
  ImportOutcome outcome;
  outcome.path = path;
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
    outcome.taken = false;
    outcome.reason = IconReason::Unsupported;
    return outcome;
  }
  IconReason reason = refused ? IconReason::Refused : CanReadFile(input) ? IconReason::None : IconReason::Unreadable;
  Bytes icon;
  ReasonSubject subject = refused ? Because("a shortcut to a share or a device") : ReasonSubject();
  if (reason == IconReason::None) {
    const ImportBudget budget(cancel);
    PipelineContext reporting = context;
    reporting.reason = &reason;
    reporting.subject = &subject;
    try {
      icon = route->pipeline(reporting, input);
    } catch (const std::bad_alloc&) {
      // Memory ran out for this file: too large, whatever it claims.
      icon.clear();
      reason = IconReason::Damaged;
    }
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
  outcome.icon = std::move(icon);
  outcome.reason = reason;
  outcome.subject = std::move(subject);
  return outcome;
}

void ShowOutcome(PictureStore& picture, const ImportOutcome& outcome) {
  // A file not taken in, and a data package whose application, given with
  // it, shows the icon: the picture stays.
  if (!outcome.taken || outcome.reason == IconReason::DataOnly) {
    picture.announce(outcome.reason, outcome.subject);
  } else if (outcome.icon.empty()) {
    picture.setReason(outcome.reason, outcome.subject);
  } else {
    picture.setPicture(outcome.icon, outcome.path);
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

std::string ChooseFileToImport(HWND owner, FileDialog& dialog) {
  dialog.setKind(FileDialog::Kind::Open);
  dialog.setFilter(ImportDialogFilter());
  dialog.setFilterIndex(1);
  // The last import's folder, else the downloads folder, where packages
  // usually are: never the program's own folder.
  std::string folder = ReadUserSetting(kImportFolderSetting);
  if (folder.empty()) folder = DownloadsFolder();
  dialog.setInitialFolder(folder);
  dialog.setFileName({});
  if (!dialog.show(owner)) return {};
  WriteUserSetting(kImportFolderSetting, FolderOf(dialog.fileName()));
  return dialog.fileName();
}
