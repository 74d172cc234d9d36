#pragma once
// The shell's file-list block (DROPFILES) that CF_HDROP carries: a 20-byte
// header whose first field is the offset of the list, then each name in the
// system code page with its zero, then one more zero ending the list.
#include <string_view>

#include "support/Bytes.h"

Bytes BuildDropFiles(std::string_view path);
