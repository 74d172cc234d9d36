#include "support/PatternMatcher.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

namespace {

constexpr std::size_t kUnset = static_cast<std::size_t>(-1);
// Backtracking bounds: a hostile listing must not keep the engine busy for
// ever. Far above what the pipelines' patterns need on a real listing.
constexpr uint32_t kMatchLimit = 50'000'000;
constexpr uint32_t kDepthLimit = 100'000;

PCRE2_SPTR16 Sptr(const std::u16string& s) { return reinterpret_cast<PCRE2_SPTR16>(s.data()); }

struct CompiledPattern {
  pcre2_code_16* code = nullptr;
  pcre2_match_data_16* data = nullptr;
  pcre2_match_context_16* context = nullptr;
  ~CompiledPattern() {
    pcre2_match_context_free_16(context);
    pcre2_match_data_free_16(data);
    pcre2_code_free_16(code);
  }
};

bool Compile(const std::u16string& pattern, CompiledPattern& out) {
  pcre2_compile_context_16* compile = pcre2_compile_context_create_16(nullptr);
  if (!compile) return false;
  // Line feed alone ends a line: "." still matches the \r of a \r\n ending.
  pcre2_set_newline_16(compile, PCRE2_NEWLINE_LF);
  const uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_CASELESS | PCRE2_MULTILINE;
  int error = 0;
  PCRE2_SIZE offset = 0;
  out.code = pcre2_compile_16(Sptr(pattern), pattern.size(), options, &error, &offset, compile);
  pcre2_compile_context_free_16(compile);
  if (!out.code) return false;
  pcre2_jit_compile_16(out.code, PCRE2_JIT_COMPLETE);  // the interpreter serves when JIT is unavailable
  out.data = pcre2_match_data_create_from_pattern_16(out.code, nullptr);
  out.context = pcre2_match_context_create_16(nullptr);
  if (!out.data || !out.context) return false;
  pcre2_set_match_limit_16(out.context, kMatchLimit);
  pcre2_set_depth_limit_16(out.context, kDepthLimit);
  return true;
}

}  // namespace

PatternMatcher::PatternMatcher(const NarrowCodec& codec) : codec_(codec) {}
PatternMatcher::~PatternMatcher() = default;

bool PatternMatcher::search(std::string_view pattern, std::string_view subject) {
  matches_.clear();
  groups_ = 0;
  subject_ = codec_.toUtf16(subject);

  CompiledPattern compiled;
  if (!Compile(codec_.toUtf16(pattern), compiled)) return false;
  uint32_t captures = 0;
  pcre2_pattern_info_16(compiled.code, PCRE2_INFO_CAPTURECOUNT, &captures);
  groups_ = static_cast<int>(captures);

  const PCRE2_SPTR16 text = Sptr(subject_);
  std::size_t start = 0;
  uint32_t flags = 0;
  while (start <= subject_.size()) {
    const int rc = pcre2_match_16(compiled.code, text, subject_.size(), start, flags, compiled.data, compiled.context);
    if (rc < 0) {
      if (rc != PCRE2_ERROR_NOMATCH) {
        // A limit (backtracking, depth, memory) or another engine error: the
        // search failed, and no partial list of matches may stand for it.
        matches_.clear();
        return false;
      }
      if (flags == 0) break;
      // An empty match here: try again one character further on.
      flags = 0;
      start += (start + 1 < subject_.size() && (subject_[start] & 0xFC00) == 0xD800) ? 2 : 1;
      continue;
    }
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer_16(compiled.data);
    std::vector<Span> match(captures + 1);
    for (uint32_t g = 0; g <= captures; ++g) {
      const bool took = g < static_cast<uint32_t>(rc) && ovector[2 * g] != PCRE2_UNSET;
      match[g] = took ? Span{ovector[2 * g], ovector[2 * g + 1]} : Span{kUnset, kUnset};
    }
    matches_.push_back(std::move(match));
    start = ovector[1];
    flags = ovector[0] == ovector[1] ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0;
  }
  return true;
}

int PatternMatcher::matchCount() const { return static_cast<int>(matches_.size()); }

std::string PatternMatcher::narrow(const Span& span) const {
  if (span.begin == kUnset || span.end < span.begin) return {};
  return codec_.fromUtf16(std::u16string_view(subject_).substr(span.begin, span.end - span.begin));
}

std::string PatternMatcher::subMatchText(int match, int group) const {
  if (match < 1 || match > matchCount() || group < 1 || group > groups_) return {};
  return narrow(matches_[static_cast<std::size_t>(match - 1)][static_cast<std::size_t>(group)]);
}
