#pragma once
// What a batch run of tessaroo-cli decides before and after its jobs: the
// output names, the report, the progress line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A name folded as the file system compares names: two names are one file
// when their folded forms are equal. Windows folds every letter, not only
// ASCII ("Ä.png" and "ä.png" are one file); the Windows build
// passes the system's folding, tests pass their own.
using NameFold = std::string (*)(std::string_view name);

// "<input file name>.png" for each input file name, in input order; a name
// met before (compared folded) takes a counter: "app.apk.png",
// "app.apk (2).png", "app.apk (3).png".
std::vector<std::string> BatchOutputNames(const std::vector<std::string>& inputFileNames, NameFold fold);

struct BatchResult {
  std::string path;    // the input, UTF-8
  std::string output;  // the file written, UTF-8; empty when none
  std::string reason;  // why not: "no-icon", "damaged", ...; empty when written
  std::uint32_t width = 0, height = 0;
  std::uint64_t milliseconds = 0;
};

// The report: a UTF-8 JSON array, one object per input in input order.
std::string BatchReportJson(const std::vector<BatchResult>& results);

// "37/200  12.5 files/s  game.apk", cut to width characters (bytes of UTF-8,
// never inside a character).
std::string BatchProgressLine(std::size_t done, std::size_t total, double perSecond, std::string_view current,
                              std::size_t width = 79);
