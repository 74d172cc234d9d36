#pragma once
// Taking files in: the import dialog and dropped files both end in
// DispatchFile, which picks the pipeline by the file's kind (app/InputKinds.cpp,
// bound in app/Routes_win.cpp) and is the one place that sets the picture.
#include <windows.h>

#include <string>
#include <vector>

#include "tools/Pipeline.h"

class FileDialog;
class PictureStore;

// Runs the pipeline for the file's kind and shows what it gives: its icon,
// or, in its place, the reason there is none. A file of no known kind keeps
// the picture and is announced as unsupported; a run during which a nested
// run (a drop while this one waited on a tool) has set the picture changes
// nothing. Returns the reason (IconReason::None: an icon).
IconReason DispatchFile(const PipelineContext& context, PictureStore& picture, const std::string& path);

// Several files given at once (a drop, the command line): each in turn, as
// DispatchFile, the others given as its companions. A package that only
// holds data for another of them keeps the picture and is announced.
void DispatchFiles(const PipelineContext& context, PictureStore& picture, const std::vector<std::string>& paths);

// The "导入文件" command: the open dialog, then DispatchFile on the choice.
void OnImportClicked(HWND owner, FileDialog& dialog, const PipelineContext& context, PictureStore& picture);

// The open dialog's filter, made from the kinds list.
std::wstring ImportDialogFilter();
