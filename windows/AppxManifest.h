#pragma once
// Reading the two XML documents of a Windows app package as XML trees
// (support/XmlTree.h): the package's AppxManifest.xml (which images stand for
// the app) and a bundle's AppxMetadata/AppxBundleManifest.xml (which package
// inside to open).
//
// Elements are matched by namespace URI and local name, never by prefix. A
// document with a document type declaration is refused whole (no entity of
// any kind is ever declared or expanded), as is one that is not well-formed,
// larger than kMaxAppxManifestBytes, or beyond the tree's element and depth
// limits. Names come out as UTF-8, the way the document spells them.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Real manifests are a few kilobytes; anything above this is not read, and
// an archive entry listed larger is never extracted.
inline constexpr std::size_t kMaxAppxManifestBytes = 4u << 20;

// The app's logo resource names in the order they are tried: the first
// application's uap:VisualElements Square44x44Logo, then its Square150x150Logo,
// then the package's Properties/Logo. Only the names the document gives, as
// written ("Assets\Square44x44Logo.png"); empty when it gives none or is
// refused.
std::vector<std::string> AppxLogoNames(std::string_view xml);

// The FileName of the package a bundle opens for its icon: the application
// package for x64, else the first application package listed. Empty when the
// bundle lists no application package or the document is refused.
std::string ChooseBundlePackage(std::string_view xml);
