#include "tests/shared/MatcherCodecs.h"

#include <windows.h>

#include "support/TextCodec_win.h"

std::vector<NamedCodec> MatcherTestCodecs() {
  return {{"SystemCodePage" + std::to_string(GetACP()), &SystemNarrowCodec()}};
}
