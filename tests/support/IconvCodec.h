#pragma once
// Narrow-text codecs for native tests of code-page-dependent code: the system
// code page a test simulates, converted with iconv.
#include "support/PatternMatcher.h"
#include "support/TextScan.h"

const NarrowCodec& Gbk936Codec();
const NarrowCodec& Cp1252Codec();
