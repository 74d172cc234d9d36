#include "app/BatchPlan.h"

#include <cstdio>
#include <unordered_map>

namespace {

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

}  // namespace

std::vector<std::string> BatchOutputNames(const std::vector<std::string>& inputFileNames, NameFold fold) {
  std::vector<std::string> names;
  std::unordered_map<std::string, int> taken;  // folded name -> times seen
  for (const std::string& input : inputFileNames) {
    std::string name = input + ".png";
    for (int n = 2; taken.count(fold(name)); ++n) name = input + " (" + std::to_string(n) + ").png";
    ++taken[fold(name)];
    names.push_back(std::move(name));
  }
  return names;
}

std::string BatchReportJson(const std::vector<BatchResult>& results) {
  std::string out = "[\n";
  for (std::size_t i = 0; i < results.size(); ++i) {
    const BatchResult& r = results[i];
    out += "  {\"path\": ";
    AppendJsonString(out, r.path);
    out += ", \"output\": ";
    if (r.output.empty()) out += "null";
    else AppendJsonString(out, r.output);
    // A data package whose application came in the same batch: no output,
    // and no failure.
    const char* result = !r.output.empty() ? "icon" : r.reason == "data-only" ? "data-only" : "no-icon";
    out += std::string(", \"result\": \"") + result + "\", \"reason\": ";
    if (r.reason.empty()) out += "null";
    else AppendJsonString(out, r.reason);
    out += ", \"width\": " + std::to_string(r.width) + ", \"height\": " + std::to_string(r.height) +
           ", \"milliseconds\": " + std::to_string(r.milliseconds) + "}";
    out += i + 1 < results.size() ? ",\n" : "\n";
  }
  return out + "]\n";
}

std::string BatchProgressLine(std::size_t done, std::size_t total, double perSecond, std::string_view current,
                              std::size_t width) {
  char head[64];
  std::snprintf(head, sizeof head, "%zu/%zu  %.1f files/s  ", done, total, perSecond);
  std::string line = head;
  line += current;
  if (line.size() > width) {
    std::size_t cut = width;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
    line.resize(cut);
  }
  return line;
}
