#pragma once
// The helper tool set: five open-source programs the executable carries as
// data and writes into its run directory at every start. Pipelines name the
// tools by these constants only.
#include "tools/HelperToolIds.h"

inline constexpr char kPackagingTool[] = "pt.exe";  // Android asset packaging tool
inline constexpr char kUnzipTool[] = "uz.exe";      // Info-ZIP UnZip
inline constexpr char kArchiveTool[] = "za.exe";    // 7-Zip console archiver
inline constexpr char kWebpDecoder[] = "dwebp.exe";  // libwebp decoder
inline constexpr char kZipLibrary[] = "zlibwapi.dll";  // zlib with minizip; deployed only

struct HelperTool {
  const char* fileName;
  int resourceId;
};

// In the order they are written.
inline constexpr HelperTool kHelperTools[] = {
    {kPackagingTool, IDR_TOOL_PT},
    {kUnzipTool, IDR_TOOL_UZ},
    {kArchiveTool, IDR_TOOL_ZA},
    {kWebpDecoder, IDR_TOOL_DWEBP},
    {kZipLibrary, IDR_TOOL_ZLIBWAPI},
};
