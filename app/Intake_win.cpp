#include "app/Intake_win.h"

#include "app/FileRoute.h"
#include "app/Shortcut.h"
#include "extract/ApkIcon_win.h"
#include "extract/ExeIcon_win.h"
#include "extract/IpaIcon_win.h"
#include "extract/WebpConvert_win.h"
#include "output/FileDialog_win.h"
#include "output/PictureStore.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"

void DispatchFile(const PipelineContext& context, const std::string& path) {
  switch (RouteByPath(path, SystemLeadByte)) {
    case FileRoute::AndroidPackage:
      ExtractApkIcon(context, path);
      break;
    case FileRoute::WebpImage:
      ConvertWebpToPng(context, path);
      context.picture.setPicture(ReadWholeFile(WorkFilePath(context)));
      break;
    case FileRoute::Executable:
      context.picture.setPicture(ExtractExeIcon(path));
      break;
    case FileRoute::IosPackage:
      ExtractIpaIcon(context, path);
      break;
    case FileRoute::Shortcut:
      context.picture.setPicture(ExtractExeIcon(ReadShortcutTarget(ReadWholeFile(path))));
      break;
    case FileRoute::None:
      break;
  }
}

void OnImportClicked(HWND owner, FileDialog& dialog, const PipelineContext& context) {
  dialog.setKind(FileDialog::Kind::Open);
  dialog.setFilter(L"应用程序(*.apk;*.ipa;*.exe)|*.apk;*.ipa;*.exe");
  if (dialog.show(owner)) DispatchFile(context, dialog.fileName());
}
