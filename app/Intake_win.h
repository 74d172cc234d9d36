#pragma once
// Taking files in: the import dialog and dropped files both end in
// DispatchFile, which picks the pipeline by the path's extension text.
#include <windows.h>

#include <string>

#include "extract/Pipeline.h"

class FileDialog;

// Runs the pipeline for the file's type, or nothing for an unknown type. The
// pipeline decides what the picture shows.
void DispatchFile(const PipelineContext& context, const std::string& path);

// The "导入文件" command: the open dialog, then DispatchFile on the choice.
void OnImportClicked(HWND owner, FileDialog& dialog, const PipelineContext& context);
