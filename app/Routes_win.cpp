#include "app/Routes_win.h"

#include "android/ApkBundleIcon_win.h"
#include "android/ApkIcon_win.h"
#include "ios/IpaIcon_win.h"
#include "linux/LinuxPackageIcon_win.h"
#include "macos/MacIcon_win.h"
#include "pictures/ImageFileIcon_win.h"
#include "windows/ExeIcon_win.h"
#include "windows/MsiIcon_win.h"
#include "windows/MsixIcon_win.h"
#include "web/ExtensionIcon_win.h"
#include "windows/ShortcutIcon_win.h"

namespace {

constexpr InputRoute kInputRoutes[] = {
    {RouteId::ApkBundle, ExtractApkBundleIcon},
    {RouteId::Apk, ExtractApkIcon},
    {RouteId::Webp, ExtractWebpIcon},
    {RouteId::Exe, ExtractExeIcon},
    {RouteId::Ipa, ExtractIpaIcon},
    {RouteId::Shortcut, ExtractShortcutIcon},
    {RouteId::Library, ExtractLibraryIcon},
    {RouteId::IconFile, ExtractIconFileIcon},
    {RouteId::Picture, ExtractPictureIcon},
    {RouteId::MsixBundle, ExtractMsixBundleIcon},
    {RouteId::Msix, ExtractMsixIcon},
    {RouteId::Msi, ExtractMsiIcon},
    {RouteId::Deb, ExtractDebIcon},
    {RouteId::Rpm, ExtractRpmIcon},
    {RouteId::AppImage, ExtractAppImageIcon},
    {RouteId::Snap, ExtractSnapIcon},
    {RouteId::Svg, ExtractSvgIcon},
    {RouteId::Xpm, ExtractXpmIcon},
    {RouteId::Icns, ExtractIcnsIcon},
    {RouteId::ZippedApp, ExtractZippedAppIcon},
    {RouteId::Extension, ExtractExtensionIcon},
    {RouteId::Dmg, ExtractDmgIcon},
};

}  // namespace

std::span<const InputRoute> InputRoutes() { return kInputRoutes; }

const InputRoute* RouteByPath(std::string_view path, std::span<const InputRoute> routes, LeadBytePredicate isLead) {
  const InputKind* kind = KindByPath(path, InputKinds(), isLead);
  if (!kind) return nullptr;
  for (const InputRoute& route : routes) {
    if (route.id == kind->route) return &route;
  }
  return nullptr;
}
