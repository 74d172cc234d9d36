#include "android/ApkBundle.h"

#include "support/TextScan.h"

#include <algorithm>
#include <array>

#include "android/ApkIconChoice.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The same path, whichever separator each side uses.
bool SamePath(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && !(IsSeparator(a[i]) && IsSeparator(b[i]))) return false;
  }
  return true;
}

bool AtRoot(std::string_view path) { return std::none_of(path.begin(), path.end(), IsSeparator); }

// A whole decimal number below 10^19 (no 64-bit overflow), or false.
bool ParseSize(std::string_view digits, std::uint64_t& value) {
  if (digits.empty() || digits.size() > 19) return false;
  value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return true;
}

// The text after "Key = " on a line of the technical listing.
bool FieldValue(std::string_view line, std::string_view key, std::string_view& value) {
  if (line.size() < key.size() + 3 || !line.starts_with(key) || line.substr(key.size(), 3) != " = ") return false;
  value = line.substr(key.size() + 3);
  return true;
}

// A reader of just enough JSON to walk a manifest: every value is checked
// for form and skipped unless the caller reads it. The first error poisons
// the reader (ok() stays false and nothing further is read). Nesting is
// capped, so a hostile manifest cannot exhaust the stack.
class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  bool ok() const { return ok_; }
  bool atEnd() {
    skipBlank();
    return at_ == text_.size();
  }
  char peek() {
    skipBlank();
    return at_ < text_.size() ? text_[at_] : '\0';
  }

  // Reads "{ "key": value, ... }", handing each key to member, which must
  // read or skip the value at depth + 1.
  template <typename Member>
  void readObject(int depth, Member member) {
    if (depth >= kMaxJsonDepth || !expect('{')) return fail();
    if (take('}')) return;
    do {
      const std::string key = readString();
      if (!ok_ || !expect(':')) return fail();
      member(key, depth + 1);
    } while (ok_ && take(','));
    if (!expect('}')) fail();
  }

  // Reads "[ value, ... ]", element reading or skipping each at depth + 1.
  template <typename Element>
  void readArray(int depth, Element element) {
    if (depth >= kMaxJsonDepth || !expect('[')) return fail();
    if (take(']')) return;
    do element(depth + 1);
    while (ok_ && take(','));
    if (!expect(']')) fail();
  }

  std::string readString() {
    std::string out;
    if (!expect('"')) return {};
    while (ok_ && at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20 || (c == '\\' && at_ >= text_.size())) break;
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      const char e = text_[at_++];
      switch (e) {
        case '"': case '\\': case '/': out.push_back(e); break;
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'u': readEscapedCodePoint(out); break;
        default: fail();
      }
    }
    fail();  // no closing quote
    return {};
  }

  void skipValue(int depth) {
    switch (peek()) {
      case '{': return readObject(depth, [this](const std::string&, int inner) { skipValue(inner); });
      case '[': return readArray(depth, [this](int inner) { skipValue(inner); });
      case '"': readString(); return;
      default: return skipScalar();
    }
  }

 private:
  void fail() {
    ok_ = false;
    at_ = text_.size();
  }
  void skipBlank() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r')) ++at_;
  }
  bool take(char c) {
    if (peek() != c || at_ >= text_.size()) return false;
    ++at_;
    return true;
  }
  bool expect(char c) {
    if (!take(c)) fail();
    return ok_;
  }

  // true, false, null or a number; the number's form is checked loosely
  // (only its characters), as nothing here reads its value.
  void skipScalar() {
    skipBlank();
    const std::size_t start = at_;
    while (at_ < text_.size() && std::string_view("+-.0123456789eEtrufalsn").find(text_[at_]) != std::string_view::npos) ++at_;
    const std::string_view token = text_.substr(start, at_ - start);
    if (token == "true" || token == "false" || token == "null") return;
    if (token.empty() || token.find_first_not_of("+-.0123456789eE") != std::string_view::npos) fail();
  }

  int readHex4() {
    if (text_.size() - at_ < 4) return -1;
    int value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (digit < 0) return -1;
      value = value * 16 + digit;
    }
    return value;
  }

  // "\uXXXX", a surrogate pair as two of them, written out as UTF-8.
  void readEscapedCodePoint(std::string& out) {
    long code = readHex4();
    if (code < 0 || (code >= 0xDC00 && code <= 0xDFFF)) return fail();
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (text_.size() - at_ < 2 || text_[at_] != '\\' || text_[at_ + 1] != 'u') return fail();
      at_ += 2;
      const long low = readHex4();
      if (low < 0xDC00 || low > 0xDFFF) return fail();
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

const BundleEntry* FindEntry(const std::vector<BundleEntry>& entries, std::string_view path) {
  for (const BundleEntry& entry : entries) {
    if (SamePath(entry.path, path)) return &entry;
  }
  return nullptr;
}

// The density rank of a density split's path; 0 for any other entry.
int SplitDensity(std::string_view path) {
  if (!path.ends_with(".apk")) return 0;
  path.remove_suffix(4);
  if (AtRoot(path)) {
    for (std::string_view prefix : {"config.", "split_config."}) {
      if (path.starts_with(prefix)) return DensityRank(path.substr(prefix.size()));
    }
    return 0;
  }
  constexpr std::string_view kFolder = "splits/base-";
  if (path.size() <= kFolder.size() || !SamePath(path.substr(0, kFolder.size()), kFolder)) return 0;
  const std::string_view qualifier = path.substr(kFolder.size());
  return AtRoot(qualifier) ? DensityRank(qualifier) : 0;
}

}  // namespace

std::vector<BundleEntry> ParseBundleListing(std::string_view listing) {
  std::vector<BundleEntry> entries;
  BundleEntry current;
  bool havePath = false, haveSize = false, folder = false, inEntries = false;
  auto finish = [&] {
    const bool kept = current.path.ends_with(".apk") || current.path == "manifest.json";
    if (havePath && haveSize && !folder && kept && entries.size() < kMaxBundleEntries) entries.push_back(current);
    current = {};
    havePath = haveSize = folder = false;
  };
  while (!listing.empty()) {
    const std::string_view line = NextLine(listing);
    // The archive's own block (its path, type, size) comes before the line.
    if (!inEntries) {
      inEntries = line == "----------";
      continue;
    }
    std::string_view value;
    if (line.empty()) {
      finish();
    } else if (FieldValue(line, "Path", value)) {
      finish();
      current.path = value;
      havePath = true;
    } else if (FieldValue(line, "Folder", value)) {
      folder = value == "+";
    } else if (FieldValue(line, "Size", value)) {
      haveSize = ParseSize(value, current.size);
    }
  }
  finish();
  return entries;
}

std::string ManifestBaseFile(std::string_view json) {
  if (json.size() > kMaxManifestBytes) return {};
  if (json.starts_with("\xEF\xBB\xBF")) json.remove_prefix(3);  // a UTF-8 byte order mark
  JsonReader reader(json);
  std::string base;
  reader.readObject(0, [&](const std::string& key, int depth) {
    if (key != "split_apks" || reader.peek() != '[') return reader.skipValue(depth);
    reader.readArray(depth, [&](int elementDepth) {
      if (reader.peek() != '{') return reader.skipValue(elementDepth);
      std::string file, id;
      reader.readObject(elementDepth, [&](const std::string& field, int valueDepth) {
        if ((field == "file" || field == "id") && reader.peek() == '"') {
          (field == "file" ? file : id) = reader.readString();
        } else {
          reader.skipValue(valueDepth);
        }
      });
      if (id == "base" && base.empty()) base = file;
    });
  });
  if (!reader.ok() || !reader.atEnd()) return {};
  return base;
}

BundleEntry ChooseBundleBase(const std::vector<BundleEntry>& entries, std::string_view manifestBase) {
  if (manifestBase.ends_with(".apk")) {
    if (const BundleEntry* named = FindEntry(entries, manifestBase)) return *named;
  }
  for (std::string_view usual : {"base.apk", "splits/base-master.apk", "universal.apk"}) {
    if (const BundleEntry* found = FindEntry(entries, usual)) return *found;
  }
  const BundleEntry* only = nullptr;
  for (const BundleEntry& entry : entries) {
    if (!AtRoot(entry.path) || !entry.path.ends_with(".apk")) continue;
    if (entry.path.starts_with("config.") || entry.path.starts_with("split_")) continue;
    if (only) return {};
    only = &entry;
  }
  return only ? *only : BundleEntry{};
}

std::vector<BundleEntry> DensitySplits(const std::vector<BundleEntry>& entries) {
  std::vector<std::pair<int, const BundleEntry*>> ranked;
  for (const BundleEntry& entry : entries) {
    const int rank = SplitDensity(entry.path);
    if (rank == 0) continue;
    const bool seen = std::any_of(ranked.begin(), ranked.end(), [&](const auto& r) { return SamePath(r.second->path, entry.path); });
    if (!seen) ranked.emplace_back(rank, &entry);
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<BundleEntry> splits;
  for (const auto& r : ranked) splits.push_back(*r.second);
  return splits;
}
