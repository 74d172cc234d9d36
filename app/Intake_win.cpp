#include "app/Intake_win.h"

#include "app/Routes_win.h"
#include "image/ImageFormat.h"
#include "output/FileDialog_win.h"
#include "output/PictureStore.h"
#include "support/TextCodec_win.h"

void DispatchFile(const PipelineContext& context, PictureStore& picture, const std::string& path) {
  const InputRoute* route = RouteByPath(path, InputRoutes(), SystemLeadByte);
  if (!route) return;
  const std::uint64_t before = picture.pictureChanges();
  Bytes icon = route->pipeline(context, path);
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
