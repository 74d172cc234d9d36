#pragma once
// Regular-expression search over the text the helper tools print, with
// 1-based match and group numbers. Every failure (bad pattern, no match,
// number out of range) gives the empty text or 0; nothing is thrown.
//
// Dialect, as the pipelines' patterns expect it: case-insensitive, multi-line
// and global (every match of the subject is kept); "." matches anything but a line feed (so
// it does match the carriage return of a Windows tool's line end); lazy
// quantifiers, \s, \d, counted repetition and classes as in ECMAScript.
// Texts cross into the engine as UTF-16, so a double-byte character of the
// narrow text counts as one character.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// How narrow texts of the program convert to and from UTF-16. On Windows:
// the system code page; natively, whatever code page a test simulates.
struct NarrowCodec {
  std::u16string (*toUtf16)(std::string_view narrow);
  std::string (*fromUtf16)(std::u16string_view wide);
};

class PatternMatcher {
 public:
  explicit PatternMatcher(const NarrowCodec& codec);
  ~PatternMatcher();
  PatternMatcher(const PatternMatcher&) = delete;
  PatternMatcher& operator=(const PatternMatcher&) = delete;

  // Runs pattern over subject and keeps the results for the readers below.
  // True when the pattern compiled and the search ran to the end (also with
  // no match). A search that hits the engine's backtracking or depth limit
  // fails: false, and no matches.
  bool search(std::string_view pattern, std::string_view subject);

  int matchCount() const;
  // Empty when either number is out of range or the group took no part.
  std::string subMatchText(int match, int group) const;

 private:
  struct Span {
    std::size_t begin, end;  // UTF-16 offsets; begin == npos for a group that took no part
  };
  std::string narrow(const Span& span) const;

  NarrowCodec codec_;
  std::u16string subject_;
  int groups_ = 0;
  std::vector<std::vector<Span>> matches_;  // per match: the whole match, then each group
};
