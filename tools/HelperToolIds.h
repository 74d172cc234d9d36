#pragma once
// Resource identifiers of the carried helper tools, shared by the resource
// script and the code.
#define IDR_TOOL_PT 201
#define IDR_TOOL_UZ 202
#define IDR_TOOL_ZA 203
#define IDR_TOOL_DWEBP 204
#define IDR_TOOL_ZLIBWAPI 205
