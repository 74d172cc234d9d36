#pragma once
// Why an import gave no icon, in words the window, its tooltip and the
// command line show. Every input kind ends in an icon or one of these.
#include <string>
#include <string_view>

enum class IconReason {
  None,         // an icon was found
  NoIcon,       // the file reads and holds no icon
  Unsupported,  // no input kind for the file
  Unreadable,   // missing, locked or denied
  Damaged,      // not what its name says, truncated, beyond a limit
  Refused,      // a network or device target, a hostile entry
  ThemeIcon,    // a package naming an icon of the desktop's theme (the subject: its name)
  IconElsewhere,  // a package naming an icon it does not hold (the subject: its name)
  DataOnly,     // a package of data for another package given with it (the subject: that package)
  SvgFeature,   // an SVG icon using what the drawing model does not draw (the subject: what)
};

struct ReasonWords {
  std::string_view id;       // stable, for scripts: "no-icon"
  std::string_view chinese;  // UTF-8
  std::string_view english;
};

constexpr ReasonWords WordsOf(IconReason reason) {
  switch (reason) {
    case IconReason::NoIcon: return {"no-icon", "未找到图标", "No icon in this file"};
    case IconReason::Unsupported: return {"unsupported", "不支持的文件类型", "Not a supported file"};
    case IconReason::Unreadable: return {"unreadable", "无法读取文件", "Could not read the file"};
    case IconReason::Damaged: return {"damaged", "文件过大或已损坏", "Too large or damaged"};
    case IconReason::Refused: return {"refused", "已拒绝", "Refused for safety"};
    case IconReason::ThemeIcon: return {"theme-icon", "使用桌面主题的图标", "Uses the desktop theme's icon"};
    case IconReason::IconElsewhere:
      return {"icon-elsewhere", "图标在另一个软件包中", "The icon{} is in another package"};
    case IconReason::DataOnly: return {"data-only", "仅为其他软件包提供数据", "Data for the package{}"};
    case IconReason::SvgFeature: return {"svg-feature", "无法绘制此 SVG 图标", "The SVG icon uses{}, which is not drawn"};
    case IconReason::None: break;
  }
  return {};
}

// What a reason names: an icon's name, and the package that holds it when
// that is known.
struct ReasonSubject {
  std::string name;
  std::string package;
  bool quoted = true;  // a name in quotes; false for words ("text")
};

// Why, in brackets after the reason's words: Refused for safety (an unsafe
// entry name).
inline ReasonSubject Because(std::string words) { return {"(" + words + ")", {}, false}; }

// A reason's words with what it names, in quotes where the words hold "{}"
// (else at the end), and the package after it in brackets:
// Uses the desktop theme's icon "utilities-terminal".
// The icon "gimp" is in another package (gimp-data).
// The SVG icon uses text, which is not drawn.
inline std::string WithSubject(std::string_view words, const ReasonSubject& subject) {
  const std::string quoted = subject.name.empty() ? std::string()
                             : subject.quoted     ? " \"" + subject.name + "\""
                                                  : " " + subject.name;
  std::string text(words);
  const std::size_t slot = text.find("{}");
  if (slot != std::string::npos) text.replace(slot, 2, quoted);
  else text += quoted;
  if (!subject.package.empty()) text.append(" (").append(subject.package).append(")");
  return text;
}
