#include "draw/SvgCost.h"

#include <algorithm>
#include <unordered_set>

#include "draw/Drawing.h"
#include "draw/SvgShapes.h"
#include "draw/SvgStyle.h"
#include "support/ByteReader.h"
#include "support/Pacer.h"

namespace svg {
namespace {

// Counts stop growing here: far above every limit, so that adding two
// counts or multiplying two never overflows.
constexpr std::uint64_t kCountCap = 1ull << 40;

std::uint64_t Sum(std::uint64_t a, std::uint64_t b) { return std::min(a + b, kCountCap); }
std::uint64_t Product(std::uint64_t a, std::uint64_t b) { return MulSizesValid(a, b, kCountCap) ? a * b : kCountCap; }

struct Cost {
  std::uint64_t elements = 0, shapes = 0, commands = 0, stops = 0, text = 0;
  int uses = 0, masks = 0;  // the most nested within one another

  void add(const Cost& c) {
    elements = Sum(elements, c.elements), shapes = Sum(shapes, c.shapes), commands = Sum(commands, c.commands);
    stops = Sum(stops, c.stops), text = Sum(text, c.text);
    uses = std::max(uses, c.uses), masks = std::max(masks, c.masks);
  }
  // A paint given to every shape counted here (read again for each).
  void paintEach(const Cost& paint) {
    stops = Sum(stops, Product(paint.stops, shapes));
    text = Sum(text, Product(paint.text, shapes));
  }
};

// The text of the element's attributes the reader parses: those of no
// namespace. Others (xlink:href, an editor's own) are only ever looked up
// by name.
std::uint64_t ParsedText(const XmlElement& e) {
  std::uint64_t text = 0;
  for (const XmlAttribute& a : e.attributes) {
    if (a.uri.empty()) text += a.value.size();
  }
  return text;
}

class Counter {
 public:
  Counter(const IdIndex& ids, const Viewport& viewport, const std::function<bool()>& keepGoing)
      : ids_(ids), viewport_(viewport), pacer_(keepGoing) {}

  CostVerdict count(const XmlElement& root) {
    Style style;
    Own own;
    Cost total;
    if (!ownStyle(root, style, own)) refused_ = true;
    for (const XmlElement& child : root.children) total.add(element(child));
    total.paintEach(paint(style));
    if (pacer_.stopped()) return CostVerdict::Cancelled;
    if (refused_) return CostVerdict::Refused;
    const bool within = !beyond_ && total.elements <= kMaxSvgElements && total.commands <= kMaxPathCommands &&
                        total.stops <= kMaxSvgStops && total.text <= kMaxSvgTextRead && total.uses <= kMaxSvgUseDepth &&
                        total.masks <= kMaxEffectDepth;
    return within ? CostVerdict::Within : CostVerdict::Beyond;
  }

 private:
  const XmlElement* byId(std::string_view id) const {
    const auto found = ids_.find(std::string(id));
    return found == ids_.end() ? nullptr : found->second;
  }

  bool ownStyle(const XmlElement& e, Style& style, Own& own) const {
    const double diagonal = viewport_.diagonal();
    return ForEachProperty(e, [&](std::string_view name, std::string_view value) {
      return ApplyProperty(name, value, style, own, diagonal);
    });
  }

  // Counts e once; met again inside itself, it is a cycle the reader
  // refuses.
  template <typename Count>
  Cost once(const XmlElement& e, Count count) {
    if (const auto found = done_.find(&e); found != done_.end()) return found->second;
    if (!open_.insert(&e).second) {
      refused_ = true;
      return {};
    }
    const Cost c = count();
    open_.erase(&e);
    return done_[&e] = c;
  }

  // An element where it stands in the drawing, or where a use places it.
  Cost element(const XmlElement& e) {
    if (e.uri != kSvg || DrawsNothingInPlace(e.name) || !pacer_.step()) return {};
    return once(e, [&] { return drawn(e); });
  }

  Cost drawn(const XmlElement& e) {
    Cost c;
    c.elements = 1;
    c.text = ParsedText(e);
    Style style;
    Own own;
    if (!ownStyle(e, style, own)) refused_ = true;
    if (own.displayNone) return c;
    if (!own.clipId.empty()) c.add(clip(own.clipId));
    if (!own.maskId.empty()) c.add(mask(own.maskId));
    if (!own.filterId.empty()) c.add(filter(own.filterId));
    if (e.name == "g" || e.name == "a") {
      for (const XmlElement& child : e.children) c.add(element(child));
    } else if (e.name == "use") {
      c.add(use(e));
    } else if (IsShape(e.name)) {
      c.shapes = 1;
      c.commands = commands(e);
    } else if (e.name != "image") {
      refused_ = true;  // text, foreign content, or another element that paints
    }
    c.paintEach(paint(style));
    return c;
  }

  Cost use(const XmlElement& e) {
    const std::string* href = Href(e);
    if (!href) return {};
    if (!href->starts_with("#")) {
      refused_ = true;  // another document
      return {};
    }
    const XmlElement* target = byId(std::string_view(*href).substr(1));
    if (!target) return {};
    if (target->uri == kSvg && (target->name == "symbol" || target->name == "svg")) {
      refused_ = true;
      return {};
    }
    // The reader goes no deeper either; counting deeper would only grow the stack.
    if (usesOpen_ >= kMaxSvgUseDepth) {
      beyond_ = true;
      return {};
    }
    ++usesOpen_;
    Cost c = element(*target);
    --usesOpen_;
    ++c.uses;
    return c;
  }

  // The path commands of a shape, read once; a shape whose data the reader
  // would refuse counts none (drawn, it refuses the document).
  std::uint64_t commands(const XmlElement& e) {
    const auto [at, first] = commands_.try_emplace(&e, 0);
    if (!first) return at->second;
    std::size_t budget = kMaxPathCommands;
    const std::optional<std::vector<PathCommand>> path = ShapePath(e, viewport_, budget);
    at->second = path ? path->size() : budget == 0 ? kMaxPathCommands + 1 : 0;
    pacer_.step(at->second / 64);
    return at->second;
  }

  // A clip path is read again for each element it clips: its shapes, and
  // the shapes its use elements place (a group adds nothing to it).
  Cost clip(const std::string& id) {
    const XmlElement* clip = byId(id);
    if (!clip || !clip->is(kSvg, "clipPath")) {
      refused_ = true;
      return {};
    }
    return once(*clip, [&] {
      Cost c;
      c.text = ParsedText(*clip);
      for (const XmlElement& child : clip->children) c.add(clipShape(child, false));
      return c;
    });
  }

  Cost clipShape(const XmlElement& e, bool used) {
    if (e.uri != kSvg || e.name == "title" || e.name == "desc") return {};
    Cost c;
    c.elements = 1;
    c.text = ParsedText(e);
    if (e.name == "use" && !used) {
      const std::string* href = Href(e);
      const XmlElement* target = href && href->starts_with("#") ? byId(std::string_view(*href).substr(1)) : nullptr;
      if (target) c.add(clipShape(*target, true));
    } else if (IsShape(e.name)) {
      c.commands = commands(e);
    }
    return c;
  }

  // A mask's content is read again for each element it masks, with the
  // mask's own style.
  Cost mask(const std::string& id) {
    const XmlElement* mask = byId(id);
    if (!mask || !mask->is(kSvg, "mask")) {
      refused_ = true;
      return {};
    }
    if (masksOpen_ >= kMaxEffectDepth) {
      beyond_ = true;
      return {};
    }
    ++masksOpen_;
    Cost c = once(*mask, [&] {
      Cost content;
      content.text = ParsedText(*mask);
      Style style;
      Own own;
      ownStyle(*mask, style, own);
      for (const XmlElement& child : mask->children) content.add(element(child));
      content.paintEach(paint(style));
      return content;
    });
    --masksOpen_;
    ++c.masks;
    return c;
  }

  // A filter's steps are read again for each element it applies to.
  Cost filter(const std::string& id) {
    const XmlElement* filter = byId(id);
    if (!filter || !filter->is(kSvg, "filter")) {
      refused_ = true;
      return {};
    }
    return once(*filter, [&] {
      Cost c;
      c.text = ParsedText(*filter);
      for (const XmlElement& step : filter->children) {
        if (step.uri != kSvg) continue;
        c.elements = Sum(c.elements, 1);
        c.text = Sum(c.text, ParsedText(step));
        for (const XmlElement& node : step.children) c.text = Sum(c.text, ParsedText(node));
      }
      return c;
    });
  }

  // What painting one shape with a fill and a stroke reads of the gradients
  // they name: each gradient along the href chain, and the stops of the
  // first one that has any.
  Cost paint(const Style& style) {
    Cost c;
    for (const PaintSpec* spec : {&style.fill, &style.stroke}) {
      if (spec->kind == PaintSpec::Kind::Url) c.add(gradient(spec->id));
    }
    return c;
  }

  Cost gradient(const std::string& id) {
    const XmlElement* first = byId(id);
    if (!first || first->uri != kSvg || (first->name != "linearGradient" && first->name != "radialGradient")) return {};
    const auto [at, fresh] = gradients_.try_emplace(first);
    if (!fresh) return at->second;
    Cost c;
    bool stopsFound = false;
    const XmlElement* g = first;
    for (int link = 0; g && link <= kMaxGradientLinks; ++link) {
      c.text = Sum(c.text, ParsedText(*g));
      for (const XmlElement& stop : g->children) {
        if (stopsFound || !stop.is(kSvg, "stop")) continue;
        c.stops = Sum(c.stops, 1);
        c.text = Sum(c.text, ParsedText(stop));
      }
      stopsFound = c.stops > 0;
      const std::string* href = Href(*g);
      g = href && href->starts_with("#") ? byId(std::string_view(*href).substr(1)) : nullptr;
      if (g && (g->uri != kSvg || (g->name != "linearGradient" && g->name != "radialGradient"))) g = nullptr;
    }
    return at->second = c;
  }

  const IdIndex& ids_;
  const Viewport& viewport_;
  Pacer pacer_;
  std::unordered_map<const XmlElement*, Cost> done_;  // elements, clip paths, masks and filters counted
  std::unordered_set<const XmlElement*> open_;        // being counted
  std::unordered_map<const XmlElement*, Cost> gradients_;
  std::unordered_map<const XmlElement*, std::uint64_t> commands_;
  int usesOpen_ = 0, masksOpen_ = 0;
  bool refused_ = false, beyond_ = false;
};

}  // namespace

CostVerdict CountSvgCost(const XmlElement& root, const IdIndex& ids, const Viewport& viewport,
                         const std::function<bool()>& keepGoing) {
  Counter counter(ids, viewport, keepGoing);
  return counter.count(root);
}

}  // namespace svg
