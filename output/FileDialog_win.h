#pragma once
// The main window's one file dialog, shared by import (open) and save. Its
// kind, filter and file name persist between uses: the name confirmed last
// time is the name proposed next time, whichever command used it.
#include <windows.h>

#include <string>
#include <string_view>

class FileDialog {
 public:
  enum class Kind { Open, Save };

  void setKind(Kind kind) { kind_ = kind; }
  // Description and patterns separated by '|', e.g. "Pictures (*.png)|*.png".
  void setFilter(std::wstring_view filter) { filter_ = filter; }
  // Full path in the system code page; empty before the first confirmation.
  const std::string& fileName() const { return fileName_; }
  // The name proposed at the next show.
  void setFileName(std::string name) { fileName_ = std::move(name); }

  // Shows the dialog modally; true when the user confirmed a name.
  bool show(HWND owner);

 private:
  Kind kind_ = Kind::Open;
  std::wstring filter_;
  std::string fileName_;
};
