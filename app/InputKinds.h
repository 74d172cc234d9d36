#pragma once
// The input kinds the program takes, one row each: how a kind is recognised,
// the route that takes it, whether the import dialog lists it. Portable, so
// routing is tested on the real list; the Windows build binds each route to
// its pipeline (app/Routes_win.cpp). Adding a kind is a row here and, for a
// new pipeline, a route and its binding.
#include <span>
#include <string_view>

// The pipelines a kind can go to; several kinds may share one.
enum class RouteId {
  ApkBundle,
  Apk,
  Webp,
  Exe,
  Ipa,
  Shortcut,
  Library,
  IconFile,
  Picture,
  MsixBundle,
  Msix,
  Msi,
  Deb,
  Rpm,
  AppImage,
  Snap,
  Svg,
  Xpm,
  Icns,
  ZippedApp,
  Extension,
  Dmg,
};

// The platform families of the import dialog's filters, in its order.
enum class InputFamily { Android, Ios, Windows, Linux, Macos, Extensions, Pictures };

// One input kind: the file-name extension that names it (".apk", lower
// case), its route, and the family the import dialog lists it under.
struct InputKind {
  std::string_view extension;
  RouteId route;
  InputFamily family;
};

// Every kind, in the import dialog's order.
std::span<const InputKind> InputKinds();
