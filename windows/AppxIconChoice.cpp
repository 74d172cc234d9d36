#include "windows/AppxIconChoice.h"

#include "support/TextScan.h"

#include <cstdint>

namespace {

// Scales and target sizes are a few hundred; anything longer is no number.
constexpr std::int64_t kMaxQualifierNumber = 1000000;

// The form names are compared in: ASCII lower case, '\' between folders, no
// leading separator.
std::string Comparable(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (char c : name) out += c == '/' ? '\\' : AsciiLower(c);
  out.erase(0, out.find_first_not_of('\\'));
  return out;
}

struct Qualifiers {
  std::int64_t scale = -1;
  std::int64_t targetSize = -1;
  bool unplated = false;
  bool excluded = false;  // high contrast, a theme, or an alternate form other than unplated
};

enum class QualifierKind { Scale, TargetSize, AltForm, Excluded, Neutral };

struct QualifierName {
  std::string_view name;
  QualifierKind kind;
};

// The qualifier names resource files carry; the neutral ones do not change
// the choice.
constexpr QualifierName kQualifierNames[] = {
    {"scale", QualifierKind::Scale},          {"targetsize", QualifierKind::TargetSize},
    {"altform", QualifierKind::AltForm},      {"contrast", QualifierKind::Excluded},
    {"theme", QualifierKind::Excluded},       {"lang", QualifierKind::Neutral},
    {"language", QualifierKind::Neutral},     {"dxfeaturelevel", QualifierKind::Neutral},
    {"homeregion", QualifierKind::Neutral},   {"configuration", QualifierKind::Neutral},
    {"devicefamily", QualifierKind::Neutral},
};

std::int64_t QualifierNumber(std::string_view value) {
  const std::optional<std::uint64_t> number = ParseDecimal(value, kMaxQualifierNumber);
  return number ? static_cast<std::int64_t>(*number) : -1;
}

// One "name-value" part of a qualifier list into q; false when it is none.
bool ReadQualifier(std::string_view part, Qualifiers& q) {
  const std::size_t dash = part.find('-');
  if (dash == std::string_view::npos || dash + 1 == part.size()) return false;
  const std::string_view name = part.substr(0, dash), value = part.substr(dash + 1);
  for (const QualifierName& known : kQualifierNames) {
    if (known.name != name) continue;
    switch (known.kind) {
      case QualifierKind::Scale: q.scale = QualifierNumber(value); return q.scale >= 0;
      case QualifierKind::TargetSize: q.targetSize = QualifierNumber(value); return q.targetSize >= 0;
      case QualifierKind::AltForm:
        if (value == "unplated") q.unplated = true; else q.excluded = true;
        return true;
      case QualifierKind::Excluded: q.excluded = true; return true;
      case QualifierKind::Neutral: return true;
    }
  }
  return false;
}

// Adds a qualifier list ("targetsize-48_altform-unplated", lower case) to q;
// false, q unchanged, when any part of it is not a qualifier.
bool ReadQualifiers(std::string_view text, Qualifiers& q) {
  Qualifiers read = q;
  while (true) {
    const std::size_t end = text.find('_');
    if (!ReadQualifier(text.substr(0, end), read)) return false;
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  q = read;
  return true;
}

struct Unqualified {
  std::string name;
  Qualifiers qualifiers;
};

// A comparable path with its qualifier folders and its file name's qualifier
// list taken out.
Unqualified TakeOutQualifiers(std::string_view path) {
  Unqualified out;
  std::size_t slash;
  while ((slash = path.find('\\')) != std::string_view::npos) {
    const std::string_view folder = path.substr(0, slash);
    if (!ReadQualifiers(folder, out.qualifiers)) {
      out.name += folder;
      out.name += '\\';
    }
    path.remove_prefix(slash + 1);
  }
  // "logo.scale-200.png": the qualifiers sit between the stem's last dot and
  // the extension's; a stem may hold dots of its own ("my.app.logo.png").
  const std::size_t extension = path.rfind('.');
  const std::size_t list =
      extension == std::string_view::npos || extension == 0 ? std::string_view::npos : path.rfind('.', extension - 1);
  if (list != std::string_view::npos && ReadQualifiers(path.substr(list + 1, extension - list - 1), out.qualifiers)) {
    out.name += path.substr(0, list);
    out.name += path.substr(extension);
  } else {
    out.name += path;
  }
  return out;
}

// Lower is preferred: unplated target sizes, plain target sizes, scales,
// the unqualified file.
int Rank(const Qualifiers& q) {
  if (q.targetSize >= 0) return q.unplated ? 0 : 1;
  return q.scale >= 0 ? 2 : 3;
}

std::int64_t Measure(const Qualifiers& q) { return q.targetSize >= 0 ? q.targetSize : q.scale; }

}  // namespace

std::string PercentDecoded(std::string_view stored) {
  std::string out;
  out.reserve(stored.size());
  for (std::size_t i = 0; i < stored.size(); ++i) {
    const int high = stored[i] == '%' && i + 2 < stored.size() ? HexDigitValue(stored[i + 1]) : -1;
    const int low = high >= 0 ? HexDigitValue(stored[i + 2]) : -1;
    if (low < 0) {
      out += stored[i];
      continue;
    }
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

const ArchiveEntry* FindPackageEntry(const std::vector<ArchiveEntry>& entries, std::string_view name) {
  const std::string wanted = Comparable(name);
  if (wanted.empty()) return nullptr;
  for (const ArchiveEntry& entry : entries) {
    if (Comparable(PercentDecoded(entry.path)) == wanted) return &entry;
  }
  return nullptr;
}

const ArchiveEntry* ChooseLogoEntry(const std::vector<ArchiveEntry>& entries, std::string_view resourceName) {
  const std::string wanted = TakeOutQualifiers(Comparable(resourceName)).name;
  if (wanted.empty()) return nullptr;
  const ArchiveEntry* best = nullptr;
  int bestRank = 4;
  std::int64_t bestMeasure = -1;
  for (const ArchiveEntry& entry : entries) {
    const Unqualified file = TakeOutQualifiers(Comparable(PercentDecoded(entry.path)));
    if (file.name != wanted || file.qualifiers.excluded) continue;
    const int rank = Rank(file.qualifiers);
    const std::int64_t measure = Measure(file.qualifiers);
    if (rank < bestRank || (rank == bestRank && measure > bestMeasure)) {
      best = &entry;
      bestRank = rank;
      bestMeasure = measure;
    }
  }
  return best;
}

const ArchiveEntry* ChooseAppxIconEntry(const std::vector<ArchiveEntry>& entries,
                                        const std::vector<std::string>& resourceNames) {
  for (const std::string& name : resourceNames) {
    if (const ArchiveEntry* chosen = ChooseLogoEntry(entries, name)) return chosen;
  }
  return nullptr;
}
