#pragma once
// What every icon pipeline works with, and the one shape they all have: the
// context and the input's path in, the icon's image-file bytes out (empty
// bytes: no icon, the reason reported through the context). Pipelines never
// set the picture; the dispatcher does.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/Bytes.h"
#include "tools/IconReason.h"

struct PipelineContext {
  std::string runDirectory;  // where the helper tools are; no trailing separator
  // Pixels a side for icons that are drawn rather than stored (vector and
  // adaptive icons); 0: their usual size.
  int drawSide = 0;
  // Where a run that finds no icon says why; the first report stands (the
  // step that knows most reports first). May be null.
  IconReason* reason = nullptr;
  // What that reason names (an icon's name), when it names something. May be null.
  ReasonSubject* subject = nullptr;
  // The other files given along with this one (a drop of several files, a
  // batch): an application package's icon may be in one of them.
  std::vector<std::string> companions;

  std::string inRunDirectory(const std::string& fileName) const { return runDirectory + "\\" + fileName; }
  // A helper tool is always started by its full path in the run directory.
  std::string toolPath(const char* tool) const { return inRunDirectory(tool); }
  void report(IconReason why, ReasonSubject what = {}) const {
    if (!reason || *reason != IconReason::None) return;
    *reason = why;
    if (subject) *subject = std::move(what);
  }
};

using IconPipeline = Bytes (*)(const PipelineContext& context, const std::string& path);
