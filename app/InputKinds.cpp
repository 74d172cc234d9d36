#include "app/InputKinds.h"

namespace {

// The order is the import dialog's order of patterns.
constexpr InputKind kInputKinds[] = {
    {".xapk", RouteId::ApkBundle, true},
    {".apks", RouteId::ApkBundle, true},
    {".apkm", RouteId::ApkBundle, true},
    {".apk", RouteId::Apk, true},
    {".webp", RouteId::Webp, false},
    {".exe", RouteId::Exe, true},
    {".ipa", RouteId::Ipa, true},
    {".lnk", RouteId::Shortcut, false},
    {".dll", RouteId::Library, true},
    {".cpl", RouteId::Library, true},
    {".ocx", RouteId::Library, true},
    {".scr", RouteId::Library, true},
    {".mun", RouteId::Exe, true},
    {".ico", RouteId::IconFile, true},
    {".png", RouteId::Picture, true},
    {".jpg", RouteId::Picture, true},
    {".jpeg", RouteId::Picture, true},
    {".bmp", RouteId::Picture, true},
    {".gif", RouteId::Picture, true},
    {".msixbundle", RouteId::MsixBundle, true},
    {".appxbundle", RouteId::MsixBundle, true},
    {".msix", RouteId::Msix, true},
    {".appx", RouteId::Msix, true},
    {".msi", RouteId::Msi, true},
    {".deb", RouteId::Deb, true},
    {".rpm", RouteId::Rpm, true},
    {".appimage", RouteId::AppImage, true},
    {".snap", RouteId::Snap, true},
    {".svg", RouteId::Svg, true},
    {".svgz", RouteId::Svg, true},
    {".xpm", RouteId::Xpm, true},
    {".icns", RouteId::Icns, true},
    {".zip", RouteId::ZippedApp, true},
    {".dmg", RouteId::Dmg, true},
    {".crx", RouteId::Extension, true},
    {".xpi", RouteId::Extension, true},
};

}  // namespace

std::span<const InputKind> InputKinds() { return kInputKinds; }
