#pragma once
// Taking files in: the import dialog, dropped and pasted files and the
// command line all end in TakeIn, which picks the pipeline by the file's
// kind (app/InputKinds.cpp, bound in app/Routes_win.cpp), on an import's
// thread (app/ImportWorker_win.h); ShowOutcome is the one place that sets
// the picture from what it gave.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

class FileDialog;
class PictureStore;

// What one file gave: its icon's bytes, or the reason there is none.
struct ImportOutcome {
  std::string path;  // the file as it was given
  Bytes icon;        // an image the picture box draws; empty: none, see reason
  IconReason reason = IconReason::None;
  ReasonSubject subject;
  bool taken = true;  // false: of no known kind, the file was not taken in at all
};

// Reads one file through the pipeline its kind names (a shortcut stands for
// its target) and returns what it gave. cancel, when set (from any thread),
// ends the work early; what it then gives is of no use. However hostile the
// file, the work runs a bounded number of tools and writes a bounded number
// of bytes.
ImportOutcome TakeIn(const PipelineContext& context, const std::string& path, const std::atomic<bool>* cancel);

// Shows what a file gave: its icon, or, in its place, the reason there is
// none. A file of no known kind, and a package that only holds data for
// another one given with it, keep the picture and are announced.
void ShowOutcome(PictureStore& picture, const ImportOutcome& outcome);

// The "导入文件" command's open dialog; the file chosen, or the empty text.
std::string ChooseFileToImport(HWND owner, FileDialog& dialog);

// The open dialog's filter, made from the kinds list.
std::wstring ImportDialogFilter();
