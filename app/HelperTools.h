#pragma once
// The helper tool set: five open-source programs the executable carries as
// data and writes into its run directory at every start.
#include "app/resource.h"

struct HelperTool {
  const char* fileName;
  int resourceId;
};

// In the order they are written.
inline constexpr HelperTool kHelperTools[] = {
    {"pt.exe", IDR_TOOL_PT},        // Android asset packaging tool
    {"uz.exe", IDR_TOOL_UZ},        // Info-ZIP UnZip
    {"za.exe", IDR_TOOL_ZA},        // 7-Zip console archiver
    {"dwebp.exe", IDR_TOOL_DWEBP},  // libwebp decoder
    {"zlibwapi.dll", IDR_TOOL_ZLIBWAPI},  // zlib with minizip; deployed only
};
