#pragma once
// The shell's file-list block (DROPFILES) that CF_HDROP carries: a 20-byte
// header whose first field is the offset of the list and whose last (fWide)
// says the names are UTF-16, as the shell itself writes them, so a receiver
// on any code page reads the right name; then each name with its zero, then
// one more zero ending the list.
#include <string_view>

#include "support/Bytes.h"

Bytes BuildDropFiles(std::u16string_view path);
