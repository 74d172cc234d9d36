#include "tests/shared/MatcherCodecs.h"

#include "tests/support/IconvCodec.h"

std::vector<NamedCodec> MatcherTestCodecs() {
  return {{"Gbk936", &Gbk936Codec()}, {"Cp1252", &Cp1252Codec()}};
}
