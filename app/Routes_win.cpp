#include "app/Routes_win.h"

#include "android/ApkBundleIcon_win.h"
#include "android/ApkIcon_win.h"
#include "ios/IpaIcon_win.h"
#include "pictures/ImageFileIcon_win.h"
#include "windows/ExeIcon_win.h"
#include "windows/MsixIcon_win.h"
#include "windows/ShortcutIcon_win.h"

namespace {

// The order matters only where a path carries no known extension of its own:
// then the first extension text found anywhere in it decides. The bundles
// come before ".apk", which is the start of two of their extensions, so a
// partly downloaded "game.apks.part" still reaches the bundle route.
constexpr InputRoute kInputRoutes[] = {
    {".xapk", ExtractApkBundleIcon, true},
    {".apks", ExtractApkBundleIcon, true},
    {".apkm", ExtractApkBundleIcon, true},
    {".apk", ExtractApkIcon, true},
    {".webp", ExtractWebpIcon, false},
    {".exe", ExtractExeIcon, true},
    {".ipa", ExtractIpaIcon, true},
    {".lnk", ExtractShortcutIcon, false},
    {".dll", ExtractLibraryIcon, true},
    {".cpl", ExtractLibraryIcon, true},
    {".ocx", ExtractLibraryIcon, true},
    {".scr", ExtractLibraryIcon, true},
    {".mun", ExtractExeIcon, true},
    {".ico", ExtractIconFileIcon, true},
    {".png", ExtractPictureIcon, true},
    {".jpg", ExtractPictureIcon, true},
    {".jpeg", ExtractPictureIcon, true},
    {".bmp", ExtractPictureIcon, true},
    {".gif", ExtractPictureIcon, true},
    // Bundles before packages: ".msix" also occurs in "app.msixbundle.part".
    {".msixbundle", ExtractMsixBundleIcon, true},
    {".appxbundle", ExtractMsixBundleIcon, true},
    {".msix", ExtractMsixIcon, true},
    {".appx", ExtractMsixIcon, true},
};

}  // namespace

std::span<const InputRoute> InputRoutes() { return kInputRoutes; }
