#pragma once
// What every icon pipeline works with: the run directory, where the helper
// tools are and where entries are extracted, and the picture store that
// receives the icon.
#include <string>

class PictureStore;

struct PipelineContext {
  std::string runDirectory;  // no trailing separator
  PictureStore& picture;

  std::string inRunDirectory(const std::string& fileName) const { return runDirectory + "\\" + fileName; }
};
