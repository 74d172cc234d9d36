#include "app/InputKinds.h"

namespace {

// The order is the import dialog's order of patterns within each family.
constexpr InputKind kInputKinds[] = {
    {".xapk", RouteId::ApkBundle, InputFamily::Android},
    {".apks", RouteId::ApkBundle, InputFamily::Android},
    {".apkm", RouteId::ApkBundle, InputFamily::Android},
    {".apk", RouteId::Apk, InputFamily::Android},
    {".webp", RouteId::Webp, InputFamily::Pictures},
    {".exe", RouteId::Exe, InputFamily::Windows},
    {".ipa", RouteId::Ipa, InputFamily::Ios},
    {".lnk", RouteId::Shortcut, InputFamily::Windows},
    {".dll", RouteId::Library, InputFamily::Windows},
    {".cpl", RouteId::Library, InputFamily::Windows},
    {".ocx", RouteId::Library, InputFamily::Windows},
    {".scr", RouteId::Library, InputFamily::Windows},
    {".mun", RouteId::Exe, InputFamily::Windows},
    {".ico", RouteId::IconFile, InputFamily::Pictures},
    {".png", RouteId::Picture, InputFamily::Pictures},
    {".jpg", RouteId::Picture, InputFamily::Pictures},
    {".jpeg", RouteId::Picture, InputFamily::Pictures},
    {".bmp", RouteId::Picture, InputFamily::Pictures},
    {".gif", RouteId::Picture, InputFamily::Pictures},
    {".msixbundle", RouteId::MsixBundle, InputFamily::Windows},
    {".appxbundle", RouteId::MsixBundle, InputFamily::Windows},
    {".msix", RouteId::Msix, InputFamily::Windows},
    {".appx", RouteId::Msix, InputFamily::Windows},
    {".msi", RouteId::Msi, InputFamily::Windows},
    {".deb", RouteId::Deb, InputFamily::Linux},
    {".rpm", RouteId::Rpm, InputFamily::Linux},
    {".appimage", RouteId::AppImage, InputFamily::Linux},
    {".snap", RouteId::Snap, InputFamily::Linux},
    {".svg", RouteId::Svg, InputFamily::Pictures},
    {".svgz", RouteId::Svg, InputFamily::Pictures},
    {".xpm", RouteId::Xpm, InputFamily::Pictures},
    {".icns", RouteId::Icns, InputFamily::Macos},
    {".zip", RouteId::ZippedApp, InputFamily::Macos},
    {".dmg", RouteId::Dmg, InputFamily::Macos},
    {".crx", RouteId::Extension, InputFamily::Extensions},
    {".xpi", RouteId::Extension, InputFamily::Extensions},
};

}  // namespace

std::span<const InputKind> InputKinds() { return kInputKinds; }
