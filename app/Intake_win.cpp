#include "app/Intake_win.h"

#include "app/Routes_win.h"
#include "image/ImageFormat.h"
#include "output/FileDialog_win.h"
#include "output/PictureStore.h"
#include "support/TextCodec_win.h"
#include "tools/ConsoleRunner_win.h"
#include "windows/ShortcutIcon_win.h"

namespace {

// A shortcut to a shortcut to ...: followed this far, no further.
constexpr int kMaxShortcutHops = 4;

}  // namespace

void DispatchFile(const PipelineContext& context, PictureStore& picture, const std::string& path) {
  std::string input = path;
  const InputRoute* route = RouteByPath(input, InputRoutes(), SystemLeadByte);
  // A shortcut stands for its target, routed like any file (a shortcut to a
  // package gives the package's icon). A target of no known kind stays with
  // the shortcut route, which reads it as a program.
  for (int hop = 0; route && route->id == RouteId::Shortcut && hop < kMaxShortcutHops; ++hop) {
    const std::string target = ShortcutTargetPath(input);
    const InputRoute* targetRoute = target.empty() ? nullptr : RouteByPath(target, InputRoutes(), SystemLeadByte);
    if (!targetRoute) break;
    input = target;
    route = targetRoute;
  }
  if (!route) return;
  const std::uint64_t before = picture.pictureChanges();
  Bytes icon;
  {
    // However hostile the file, this import runs a bounded number of tools
    // and writes a bounded number of bytes.
    const ImportBudget budget;
    icon = route->pipeline(context, input);
  }
  // Only an image the picture box draws becomes the picture: a package can
  // store anything under an icon's name.
  if (!IsPictureImage(icon)) icon.clear();
  // The tools run while messages are dispatched, so a drop can start a nested
  // run inside this one; what that run showed stays.
  if (picture.pictureChanges() != before) return;
  picture.setPicture(std::move(icon), path);
}

std::wstring ImportDialogFilter() {
  const std::wstring patterns = WideFromUtf8(ImportPatterns(InputKinds()));
  return L"应用程序(" + patterns + L")|" + patterns;
}

void OnImportClicked(HWND owner, FileDialog& dialog, const PipelineContext& context, PictureStore& picture) {
  dialog.setKind(FileDialog::Kind::Open);
  dialog.setFilter(ImportDialogFilter());
  if (dialog.show(owner)) DispatchFile(context, picture, dialog.fileName());
}
