#pragma once
// Which pipeline a dropped or imported file goes to. The routes are one table
// (app/Routes_win.cpp); everything here works on any table of that shape.
#include <span>
#include <string>
#include <string_view>

#include "support/TextScan.h"
#include "tools/Pipeline.h"

// One input kind: the file-name extension that names it (".apk", lower
// case), the pipeline that takes it, and whether the import dialog lists it.
struct InputRoute {
  std::string_view extension;
  IconPipeline pipeline;
  bool listedInImportDialog;
};

// The route whose extension is the file name's own extension, compared
// without regard to letter case. When that names no known kind, the first
// route (in table order) whose extension text occurs anywhere in the path,
// letter case counting, so "game.apk.part" still reaches the Android route.
// nullptr when neither finds one.
const InputRoute* RouteByPath(std::string_view path, std::span<const InputRoute> routes, LeadBytePredicate isLead);

// The import dialog's patterns for the listed routes: "*.apk;*.ipa;*.exe".
std::string ImportPatterns(std::span<const InputRoute> routes);
