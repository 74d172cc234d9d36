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
  // Several filters follow one another: "PNG (*.png)|*.png|Icon (*.ico)|*.ico".
  void setFilter(std::wstring_view filter) { filter_ = filter; }
  // The filter shown first, and after a confirmation the one chosen; 1-based.
  void setFilterIndex(int index) { filterIndex_ = index; }
  int filterIndex() const { return filterIndex_; }
  // Full path in the system code page; empty before the first confirmation.
  const std::string& fileName() const { return fileName_; }
  // The name proposed at the next show.
  void setFileName(std::string name) { fileName_ = std::move(name); }
  // The folder the next show opens in when the proposed name names none;
  // empty: the system's choice.
  void setInitialFolder(std::string folder) { initialFolder_ = std::move(folder); }

  // Shows the dialog modally; true when the user confirmed a name.
  bool show(HWND owner);

 private:
  Kind kind_ = Kind::Open;
  std::wstring filter_;
  int filterIndex_ = 1;
  std::string fileName_;
  std::string initialFolder_;
};

// The system's folder chooser, opening in initialFolder (when set), with
// the title given; the folder chosen (system code page), or the empty text.
std::string ChooseFolder(HWND owner, const std::string& initialFolder, const std::wstring& title);
