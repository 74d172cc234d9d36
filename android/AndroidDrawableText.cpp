#include "android/AndroidDrawableText.h"

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "android/ResourceValues.h"
#include "android/ToolXmlTree.h"
#include "draw/PathData.h"

namespace {

// Framework attribute ids: Android matches attributes by id, whatever
// namespace prefix the package's XML gave them.
constexpr std::uint32_t kAttrSrc = 0x01010119, kAttrTint = 0x01010121, kAttrHeight = 0x01010155,
                        kAttrWidth = 0x01010159, kAttrDrawable = 0x01010199, kAttrShape = 0x0101019a,
                        kAttrStartColor = 0x0101019d, kAttrEndColor = 0x0101019e, kAttrAngle = 0x010101a0,
                        kAttrType = 0x010101a1, kAttrCenterX = 0x010101a2, kAttrCenterY = 0x010101a3,
                        kAttrGradientRadius = 0x010101a4, kAttrColor = 0x010101a5, kAttrRadius = 0x010101a8,
                        kAttrTopLeftRadius = 0x010101a9, kAttrTopRightRadius = 0x010101aa,
                        kAttrBottomLeftRadius = 0x010101ab, kAttrBottomRightRadius = 0x010101ac,
                        kAttrPivotX = 0x010101b5, kAttrPivotY = 0x010101b6, kAttrInsetLeft = 0x010101b7,
                        kAttrInsetRight = 0x010101b8, kAttrInsetTop = 0x010101b9, kAttrInsetBottom = 0x010101ba,
                        kAttrTileMode = 0x01010201, kAttrCenterColor = 0x0101020b, kAttrAlpha = 0x0101031f,
                        kAttrScaleX = 0x01010324, kAttrScaleY = 0x01010325, kAttrRotation = 0x01010326,
                        kAttrViewportWidth = 0x01010402, kAttrViewportHeight = 0x01010403,
                        kAttrFillColor = 0x01010404, kAttrPathData = 0x01010405, kAttrStrokeColor = 0x01010406,
                        kAttrStrokeWidth = 0x01010407, kAttrTrimPathStart = 0x01010408,
                        kAttrTrimPathEnd = 0x01010409, kAttrTrimPathOffset = 0x0101040a,
                        kAttrStrokeLineCap = 0x0101040b, kAttrStrokeLineJoin = 0x0101040c,
                        kAttrStrokeMiterLimit = 0x0101040d, kAttrTranslateX = 0x0101045a,
                        kAttrTranslateY = 0x0101045b, kAttrInset = 0x010104b5, kAttrStrokeAlpha = 0x010104cb,
                        kAttrFillAlpha = 0x010104cc, kAttrStartX = 0x01010510, kAttrStartY = 0x01010511,
                        kAttrEndX = 0x01010512, kAttrEndY = 0x01010513, kAttrOffset = 0x01010514,
                        kAttrFillType = 0x0101051e, kAttrLStar = 0x01010647;

// The framework's public colours whose values never change; every other
// framework resource is a device's own and gives no drawing.
constexpr std::array<std::pair<std::uint32_t, std::uint32_t>, 16> kFrameworkColors = {{
    {0x01060000, 0xffaaaaaa},  // darker_gray
    {0x0106000b, 0xffffffff},  // white
    {0x0106000c, 0xff000000},  // black
    {0x0106000d, 0x00000000},  // transparent
    {0x0106000e, 0xff000000},  // background_dark
    {0x0106000f, 0xffffffff},  // background_light
    {0x01060012, 0xff33b5e5},  // holo_blue_light
    {0x01060013, 0xff0099cc},  // holo_blue_dark
    {0x01060014, 0xff99cc00},  // holo_green_light
    {0x01060015, 0xff669900},  // holo_green_dark
    {0x01060016, 0xffff4444},  // holo_red_light
    {0x01060017, 0xffcc0000},  // holo_red_dark
    {0x01060018, 0xffffbb33},  // holo_orange_light
    {0x01060019, 0xffff8800},  // holo_orange_dark
    {0x0106001a, 0xffaa66cc},  // holo_purple
    {0x0106001b, 0xff00ddff},  // holo_blue_bright
}};

template <typename T>
struct FloatField {
  std::uint32_t id;
  float T::*member;
};

constexpr FloatField<Drawing> kVectorFloats[] = {
    {kAttrViewportWidth, &Drawing::viewportWidth},
    {kAttrViewportHeight, &Drawing::viewportHeight},
    {kAttrAlpha, &Drawing::alpha},
};
constexpr FloatField<DrawingGroup> kGroupFloats[] = {
    {kAttrRotation, &DrawingGroup::rotation}, {kAttrPivotX, &DrawingGroup::pivotX},
    {kAttrPivotY, &DrawingGroup::pivotY},     {kAttrScaleX, &DrawingGroup::scaleX},
    {kAttrScaleY, &DrawingGroup::scaleY},     {kAttrTranslateX, &DrawingGroup::translateX},
    {kAttrTranslateY, &DrawingGroup::translateY},
};
constexpr FloatField<DrawingPath> kPathFloats[] = {
    {kAttrFillAlpha, &DrawingPath::fillAlpha},           {kAttrStrokeAlpha, &DrawingPath::strokeAlpha},
    {kAttrStrokeWidth, &DrawingPath::strokeWidth},       {kAttrStrokeMiterLimit, &DrawingPath::strokeMiterLimit},
    {kAttrTrimPathStart, &DrawingPath::trimStart},       {kAttrTrimPathEnd, &DrawingPath::trimEnd},
    {kAttrTrimPathOffset, &DrawingPath::trimOffset},
};
constexpr FloatField<DrawingGradient> kGradientFloats[] = {
    {kAttrStartX, &DrawingGradient::startX},   {kAttrStartY, &DrawingGradient::startY},
    {kAttrEndX, &DrawingGradient::endX},       {kAttrEndY, &DrawingGradient::endY},
    {kAttrCenterX, &DrawingGradient::centerX}, {kAttrCenterY, &DrawingGradient::centerY},
    {kAttrGradientRadius, &DrawingGradient::radius},
};

bool IsRasterEntry(std::string_view entry) {
  // A nine-patch would be drawn stretched by its own rules.
  if (entry.ends_with(".9.png")) return false;
  return entry.ends_with(".png") || entry.ends_with(".webp") || entry.ends_with(".jpg") || entry.ends_with(".jpeg");
}

// Gradient positions as the drawing library takes them: within 0..1, and
// never before the previous one.
void NormaliseStops(std::vector<GradientStop>& stops) {
  float previous = 0;
  for (GradientStop& stop : stops) {
    stop.offset = std::max(previous, std::clamp(stop.offset, 0.0f, 1.0f));
    previous = stop.offset;
  }
}

// A colour state list item's colour with its alpha scaled, rounded as
// Android does.
std::uint32_t ScaleAlpha(std::uint32_t argb, float scale) {
  const float alpha = static_cast<float>(argb >> 24) * scale + 0.5f;
  const auto scaled = static_cast<std::uint32_t>(std::clamp(alpha, 0.0f, 255.0f));
  return (argb & 0x00ffffff) | scaled << 24;
}

// A linear shape gradient's angle as Android uses it: whole degrees, taken
// into 0..359; only multiples of 45 turn it, any other leaves the default
// top-to-bottom direction (270).
float ShapeGradientAngle(float degrees) {
  const int whole = static_cast<int>(std::clamp(degrees, -1e6f, 1e6f));
  const int wrapped = (whole % 360 + 360) % 360;
  return static_cast<float>(wrapped % 45 == 0 ? wrapped : 270);
}

class IconReader {
 public:
  explicit IconReader(const DrawableSources& sources)
      : sources_(sources),
        ownResources_(sources.parsedResources ? ResourceValues() : ParseResourceValues(sources.resources)),
        resources_(sources.parsedResources ? *sources.parsedResources : ownResources_),
        trees_(sources.parsedTrees ? *sources.parsedTrees : ownTrees_) {
    // Trees parsed by earlier readings are read again in this one.
    for (const auto& [entry, parsed] : trees_) textRead_ += parsed.textBytes;
  }

  AndroidIconDrawing read(const std::string& entry);

 private:
  // Keeps an entry on the list of those being read while it is read.
  class Reading {
   public:
    Reading(std::vector<std::string>& chain, const std::string& entry) : chain_(chain) { chain_.push_back(entry); }
    ~Reading() { chain_.pop_back(); }
    Reading(const Reading&) = delete;
    Reading& operator=(const Reading&) = delete;

   private:
    std::vector<std::string>& chain_;
  };

  // Once a file is wanted that is not at hand, nothing of this reading is
  // drawn: a failure then only stops what depends on it, so that the rest of
  // the level is still walked and its files named too.
  void fail() {
    if (!pending_) ok_ = false;
  }
  bool enter(const std::string& entry, int depth);
  const ToolXmlTree* tree(const std::string& entry);
  void checkElement(const ToolElement& element);

  const ResValue* resolve(const ResValue& value);
  const ResValue* value(const ToolElement& element, std::uint32_t id);
  float number(const ToolElement& element, std::uint32_t id, float fallback);
  int integer(const ToolElement& element, std::uint32_t id, int fallback);
  std::optional<float> dimension(const ToolElement& element, std::uint32_t id);
  template <typename T>
  void numbers(const ToolElement& element, std::span<const FloatField<T>> fields, T& out);
  std::uint32_t color(const ResValue& value, int depth);
  const DrawingPaint* colorFile(const std::string& entry, int depth);
  std::uint32_t selectorDefault(const ToolXmlTree& tree, const ToolElement& selector, int depth);
  DrawingGradient gradient(const ToolXmlTree& tree, const ToolElement& element, int depth);
  DrawingPaint paint(const ToolElement& element, std::uint32_t id, int depth);

  void drawableValue(const ResValue& value, LayerDrawable& out, int depth);
  void drawableEntry(const std::string& entry, LayerDrawable& out, int depth);
  void drawableElement(const ToolXmlTree& tree, const ToolElement& element, LayerDrawable& out, int depth);
  void raster(const std::string& entry, LayerDrawable& out);
  void adaptive(const ToolXmlTree& tree, const ToolElement& element, AdaptiveIcon& out);
  void layer(const ToolXmlTree& tree, const ToolElement& element, LayerDrawable& out, int depth);
  void vector(const ToolXmlTree& tree, const ToolElement& element, Drawing& out, int depth);
  void groupChildren(const ToolXmlTree& tree, const ToolElement& element, DrawingGroup& out, int depth);
  void path(const ToolElement& element, DrawingPath& out, int depth);
  void shape(const ToolXmlTree& tree, const ToolElement& element, ShapeDrawable& out, int depth);
  void shapeGradient(const ToolElement& element, ShapeGradient& out, int depth);
  void corners(const ToolElement& element, ShapeDrawable& out);
  void inset(const ToolXmlTree& tree, const ToolElement& element, LayerDrawable& out, int depth);
  void bitmapElement(const ToolElement& element, LayerDrawable& out);

  const DrawableSources& sources_;
  const ResourceValues ownResources_;  // parsed here when the caller has not
  const ResourceValues& resources_;
  bool ok_ = true;
  bool pending_ = false;  // a file was wanted that is not at hand yet

  // True (and the entry noted as wanted) when the caller has yet to fetch it.
  bool wanted(const std::string& entry, const std::function<bool(const std::string&)>& atHand,
              std::vector<std::string>* list) {
    if (!atHand || atHand(entry)) return false;
    if (list && std::find(list->begin(), list->end(), entry) == list->end()) list->push_back(entry);
    pending_ = true;
    return true;
  }
  std::map<std::string, ParsedTree> ownTrees_;
  std::map<std::string, ParsedTree>& trees_;
  std::size_t textRead_ = 0;
  std::map<std::string, RgbaImage> bitmaps_;
  std::map<std::string, DrawingPaint> colorFiles_;
  std::vector<std::string> reading_;  // entries being read, outermost first
  int paths_ = 0;
  std::size_t pathText_ = 0;
  std::size_t pathCommands_ = kMaxPathCommands;  // left for the whole icon
};

AndroidIconDrawing IconReader::read(const std::string& entry) {
  AndroidIconDrawing drawing;
  const ToolXmlTree* icon = tree(entry);
  if (!icon) return {};
  const Reading reading(reading_, entry);
  const ToolElement& root = *icon->root();
  if (root.name == "vector") {
    drawing.kind = AndroidIconDrawing::Kind::Vector;
    vector(*icon, root, drawing.vector, 1);
  } else if (root.name == "adaptive-icon") {
    drawing.kind = AndroidIconDrawing::Kind::Adaptive;
    adaptive(*icon, root, drawing.adaptive);
  }
  return ok_ && !pending_ ? drawing : AndroidIconDrawing{};
}

// Whether a drawable at this level may be read from entry: not beyond the
// levels allowed, and not one already being read (a reference back to it
// would never end).
bool IconReader::enter(const std::string& entry, int depth) {
  if (depth > kMaxDrawableDepth || std::find(reading_.begin(), reading_.end(), entry) != reading_.end()) {
    fail();
    return false;
  }
  return ok_;
}

// The entry's tree, asked of the tool once. Null (and the icon refused)
// when there is none or the limits on fetching are reached.
const ToolXmlTree* IconReader::tree(const std::string& entry) {
  if (const auto found = trees_.find(entry); found != trees_.end()) {
    if (found->second.tree.root()) return &found->second.tree;
    fail();
    return nullptr;
  }
  if (trees_.size() < kMaxDrawableFiles && wanted(entry, sources_.treeAtHand, sources_.wantedTrees)) return nullptr;
  if (!ok_ || trees_.size() >= kMaxDrawableFiles || !sources_.xmlTree) {
    fail();
    return nullptr;
  }
  const std::string text = sources_.xmlTree(entry);
  textRead_ += text.size();
  if (textRead_ > kMaxDrawableText) {
    fail();
    return nullptr;
  }
  const ToolXmlTree& parsed = trees_.emplace(entry, ParsedTree{ParseToolXmlTree(text), text.size()}).first->second.tree;
  if (!parsed.root()) {
    fail();
    return nullptr;
  }
  return &parsed;
}

// An element read for drawing must not depend on the theme, and must not be
// tinted (a tint's colour usually comes from the theme, and it recolours
// everything beneath it).
void IconReader::checkElement(const ToolElement& element) {
  for (const ToolAttribute& attribute : element.attributes) {
    if (attribute.value.isThemeReference() || attribute.id == kAttrTint) fail();
  }
}

// A value with references followed to the value they name; a null reference
// ("@null") gives a kResNull value. Null (and the icon refused) for a theme
// attribute, a resource the package does not hold, or a chain of
// references longer than the drawable levels (a cycle never ends).
const ResValue* IconReader::resolve(const ResValue& value) {
  static const ResValue kNull;
  static const std::array<ResValue, kFrameworkColors.size()> kFrameworkValues = [] {
    std::array<ResValue, kFrameworkColors.size()> values;
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = ResValue{kResArgb8, kFrameworkColors[i].second, {}};
    return values;
  }();
  const ResValue* current = &value;
  for (int hop = 0; current->isReference(); ++hop) {
    if (current->data == 0) return &kNull;
    for (std::size_t i = 0; i < kFrameworkColors.size(); ++i) {
      if (kFrameworkColors[i].first == current->data) return &kFrameworkValues[i];
    }
    const ResourceConfigValue* named = resources_.preferred(current->data);
    if (!named || hop == kMaxDrawableDepth) break;
    current = &named->value;
  }
  if (current->isReference() || current->isThemeReference()) {
    fail();
    return nullptr;
  }
  return current;
}

// The attribute's value with references followed; null when the element
// has no such attribute, it is @null, or it cannot be resolved.
const ResValue* IconReader::value(const ToolElement& element, std::uint32_t id) {
  const ToolAttribute* attribute = element.attribute(id);
  if (!attribute) return nullptr;
  const ResValue* resolved = resolve(attribute->value);
  return resolved && resolved->type != kResNull ? resolved : nullptr;
}

float IconReader::number(const ToolElement& element, std::uint32_t id, float fallback) {
  const ResValue* found = value(element, id);
  if (!found) return fallback;
  const std::optional<float> decoded = DecodeNumber(*found);
  if (!decoded) fail();
  return decoded.value_or(fallback);
}

int IconReader::integer(const ToolElement& element, std::uint32_t id, int fallback) {
  const ResValue* found = value(element, id);
  if (!found) return fallback;
  const std::optional<std::int32_t> decoded = DecodeInteger(*found);
  if (!decoded) fail();
  return decoded.value_or(fallback);
}

std::optional<float> IconReader::dimension(const ToolElement& element, std::uint32_t id) {
  const ResValue* found = value(element, id);
  if (!found) return std::nullopt;
  const std::optional<float> decoded = DecodeDimensionDp(*found);
  if (!decoded) fail();
  return decoded;
}

template <typename T>
void IconReader::numbers(const ToolElement& element, std::span<const FloatField<T>> fields, T& out) {
  for (const FloatField<T>& field : fields) out.*field.member = number(element, field.id, out.*field.member);
}

// A colour value, a colour resource, or a colour state list's default.
std::uint32_t IconReader::color(const ResValue& raw, int depth) {
  const ResValue* resolved = resolve(raw);
  if (!resolved) return 0;
  if (const std::optional<std::uint32_t> argb = DecodeColor(*resolved)) return *argb;
  const DrawingPaint* file = resolved->type == kResString ? colorFile(resolved->string, depth) : nullptr;
  if (!file || file->kind != DrawingPaint::Kind::Solid) {
    fail();
    return 0;
  }
  return file->argb;
}

// A colour file (res/color/*.xml) or an extracted gradient: a colour state
// list gives its default colour, a gradient itself. Read once per entry.
const DrawingPaint* IconReader::colorFile(const std::string& entry, int depth) {
  if (const auto found = colorFiles_.find(entry); found != colorFiles_.end()) return &found->second;
  if (!entry.ends_with(".xml") || !enter(entry, depth)) {
    fail();
    return nullptr;
  }
  const ToolXmlTree* file = tree(entry);
  if (!file) return nullptr;
  const Reading reading(reading_, entry);
  const ToolElement& root = *file->root();
  DrawingPaint paint;
  if (root.name == "selector") {
    paint.kind = DrawingPaint::Kind::Solid;
    paint.argb = selectorDefault(*file, root, depth);
  } else if (root.name == "gradient") {
    paint.kind = DrawingPaint::Kind::Gradient;
    paint.gradient = gradient(*file, root, depth);
  } else {
    fail();
  }
  if (!ok_) return nullptr;
  return &colorFiles_.emplace(entry, std::move(paint)).first->second;
}

// A colour state list's default colour, as Android takes it: the last item
// with no state attribute (anything but colour, alpha and lStar counts as a
// state), else the first item; its colour with its alpha scaled by the
// item's alpha. Only that item is read.
std::uint32_t IconReader::selectorDefault(const ToolXmlTree& tree, const ToolElement& selector, int depth) {
  const ToolElement* chosen = nullptr;
  for (std::size_t index : selector.children) {
    const ToolElement& item = tree.elements[index];
    if (item.name != "item") continue;
    const bool stateless = std::all_of(item.attributes.begin(), item.attributes.end(), [](const ToolAttribute& a) {
      return a.id == kAttrColor || a.id == kAttrAlpha || a.id == kAttrLStar;
    });
    if (!chosen || stateless) chosen = &item;
  }
  // lStar changes the colour's tone by a colour model this reader does not
  // carry; an item without a colour would be drawn in Android's stand-in.
  if (!chosen || chosen->attribute(kAttrLStar) || !chosen->attribute(kAttrColor)) {
    fail();
    return 0;
  }
  checkElement(*chosen);
  const ResValue* base = value(*chosen, kAttrColor);
  if (!base) {
    fail();
    return 0;
  }
  return ScaleAlpha(color(*base, depth + 1), number(*chosen, kAttrAlpha, 1.0f));
}

// A vector path's gradient, with Android's rules: <item> children (colour
// and offset each required) replace the start, centre and end colours,
// which are otherwise spread evenly; a radial gradient needs a radius.
DrawingGradient IconReader::gradient(const ToolXmlTree& tree, const ToolElement& element, int depth) {
  checkElement(element);
  DrawingGradient out;
  numbers<DrawingGradient>(element, kGradientFloats, out);
  const int type = integer(element, kAttrType, 0);
  out.type = type == 1 ? DrawingGradient::Type::Radial : type == 2 ? DrawingGradient::Type::Sweep : DrawingGradient::Type::Linear;
  const int tile = integer(element, kAttrTileMode, 0);
  out.tile = tile == 1 ? DrawingGradient::Tile::Repeat : tile == 2 ? DrawingGradient::Tile::Mirror : DrawingGradient::Tile::Clamp;
  for (std::size_t index : element.children) {
    const ToolElement& item = tree.elements[index];
    if (item.name != "item" || !ok_) continue;
    checkElement(item);
    const ToolAttribute* itemColor = item.attribute(kAttrColor);
    if (!itemColor || !item.attribute(kAttrOffset) || out.stops.size() == kMaxGradientStops) fail();
    if (!ok_) break;
    out.stops.push_back({number(item, kAttrOffset, 0), color(itemColor->value, depth + 1)});
  }
  if (out.stops.empty()) {
    std::vector<std::pair<std::uint32_t, float>> ends = {{kAttrStartColor, 0.0f}, {kAttrEndColor, 1.0f}};
    if (element.attribute(kAttrCenterColor)) ends.insert(ends.begin() + 1, {kAttrCenterColor, 0.5f});
    for (const auto& [id, offset] : ends) {
      const ToolAttribute* end = element.attribute(id);
      out.stops.push_back({offset, end ? color(end->value, depth + 1) : 0});
    }
  }
  NormaliseStops(out.stops);
  if (out.stops.size() < 2 || (out.type == DrawingGradient::Type::Radial && out.radius <= 0)) fail();
  return out;
}

// A path's fill or stroke: none, a colour, a colour state list's default,
// or a gradient.
DrawingPaint IconReader::paint(const ToolElement& element, std::uint32_t id, int depth) {
  DrawingPaint out;
  const ResValue* found = value(element, id);
  if (!found) return out;
  if (const std::optional<std::uint32_t> argb = DecodeColor(*found)) {
    out.kind = DrawingPaint::Kind::Solid;
    out.argb = *argb;
    return out;
  }
  const DrawingPaint* file = found->type == kResString ? colorFile(found->string, depth) : nullptr;
  if (!file) {
    fail();
    return out;
  }
  return *file;
}

// A drawable named by a value: a colour, or a resource's file.
void IconReader::drawableValue(const ResValue& raw, LayerDrawable& out, int depth) {
  if (depth > kMaxDrawableDepth) fail();
  const ResValue* resolved = ok_ ? resolve(raw) : nullptr;
  if (!resolved) return;
  if (const std::optional<std::uint32_t> argb = DecodeColor(*resolved)) {
    out.kind = LayerDrawable::Kind::Color;
    out.argb = *argb;
  } else if (resolved->type == kResString && resolved->string.ends_with(".xml")) {
    drawableEntry(resolved->string, out, depth);
  } else if (resolved->type == kResString && IsRasterEntry(resolved->string)) {
    raster(resolved->string, out);
  } else {
    fail();
  }
}

void IconReader::drawableEntry(const std::string& entry, LayerDrawable& out, int depth) {
  if (!enter(entry, depth)) return;
  const ToolXmlTree* file = tree(entry);
  if (!file) return;
  const Reading reading(reading_, entry);
  drawableElement(*file, *file->root(), out, depth);
}

void IconReader::drawableElement(const ToolXmlTree& tree, const ToolElement& element, LayerDrawable& out, int depth) {
  if (depth > kMaxDrawableDepth) fail();
  checkElement(element);
  if (!ok_) return;
  if (element.name == "vector") {
    out.kind = LayerDrawable::Kind::Vector;
    vector(tree, element, out.vector, depth);
  } else if (element.name == "shape") {
    out.kind = LayerDrawable::Kind::Shape;
    shape(tree, element, out.shape, depth);
  } else if (element.name == "inset") {
    inset(tree, element, out, depth);
  } else if (element.name == "bitmap") {
    bitmapElement(element, out);
  } else if (element.name == "color") {
    const ResValue* found = value(element, kAttrColor);
    out.kind = LayerDrawable::Kind::Color;
    out.argb = found ? color(*found, depth) : 0;
  } else {
    fail();
  }
}

void IconReader::raster(const std::string& entry, LayerDrawable& out) {
  auto found = bitmaps_.find(entry);
  if (found == bitmaps_.end()) {
    if (bitmaps_.size() < kMaxDrawableFiles && wanted(entry, sources_.bitmapAtHand, sources_.wantedBitmaps)) return;
    if (bitmaps_.size() >= kMaxDrawableFiles || !sources_.bitmap) {
      fail();
      return;
    }
    found = bitmaps_.emplace(entry, sources_.bitmap(entry)).first;
  }
  if (found->second.empty()) {
    fail();
    return;
  }
  out.kind = LayerDrawable::Kind::Bitmap;
  out.bitmap = found->second;
}

void IconReader::adaptive(const ToolXmlTree& tree, const ToolElement& element, AdaptiveIcon& out) {
  checkElement(element);
  for (std::size_t index : element.children) {
    const ToolElement& child = tree.elements[index];
    if (child.name == "background") layer(tree, child, out.background, 2);
    if (child.name == "foreground") layer(tree, child, out.foreground, 2);
  }
}

// A layer names its drawable by android:drawable, else holds it as its
// first child element; Android refuses a layer with neither.
void IconReader::layer(const ToolXmlTree& tree, const ToolElement& element, LayerDrawable& out, int depth) {
  checkElement(element);
  if (const ToolAttribute* drawable = element.attribute(kAttrDrawable)) {
    drawableValue(drawable->value, out, depth);
  } else if (!element.children.empty()) {
    drawableElement(tree, tree.elements[element.children.front()], out, depth);
  } else {
    fail();
  }
}

void IconReader::vector(const ToolXmlTree& tree, const ToolElement& element, Drawing& out, int depth) {
  checkElement(element);
  numbers<Drawing>(element, kVectorFloats, out);
  out.widthDp = dimension(element, kAttrWidth).value_or(0);
  out.heightDp = dimension(element, kAttrHeight).value_or(0);
  // Android refuses a vector without a positive size and viewport.
  if (out.widthDp <= 0 || out.heightDp <= 0 || out.viewportWidth <= 0 || out.viewportHeight <= 0) fail();
  groupChildren(tree, element, out.root, depth);
}

// A vector's or group's children in document order; elements other than
// groups, paths and clip-paths are passed over, as Android does.
void IconReader::groupChildren(const ToolXmlTree& tree, const ToolElement& element, DrawingGroup& out, int depth) {
  for (std::size_t index : element.children) {
    if (!ok_) return;
    const ToolElement& child = tree.elements[index];
    DrawingNode node;
    if (child.name == "group") {
      if (depth + 1 > kMaxDrawableDepth) fail();
      checkElement(child);
      if (!ok_) return;
      node.kind = DrawingNode::Kind::Group;
      numbers<DrawingGroup>(child, kGroupFloats, node.group);
      groupChildren(tree, child, node.group, depth + 1);
    } else if (child.name == "path" || child.name == "clip-path") {
      if (++paths_ > kMaxDrawablePaths) fail();
      node.kind = child.name == "path" ? DrawingNode::Kind::Path : DrawingNode::Kind::ClipPath;
      path(child, node.path, depth);
    } else {
      continue;
    }
    out.children.push_back(std::move(node));
  }
}

void IconReader::path(const ToolElement& element, DrawingPath& out, int depth) {
  checkElement(element);
  // Path data may be a string resource.
  if (const ResValue* data = value(element, kAttrPathData)) {
    // A string resource may be named by every path: its copies count.
    pathText_ += data->string.size();
    if (data->type != kResString || pathText_ > kMaxDrawableText) fail();
    // Malformed path data refuses the whole drawable, as Android does.
    std::optional<std::vector<PathCommand>> commands;
    if (ok_) commands = ParsePathData(data->string, pathCommands_);
    if (commands) out.commands = std::move(*commands);
    else fail();
  }
  numbers<DrawingPath>(element, kPathFloats, out);
  out.fill = paint(element, kAttrFillColor, depth);
  out.stroke = paint(element, kAttrStrokeColor, depth);
  const int fillType = integer(element, kAttrFillType, 0);
  if (fillType != 0 && fillType != 1) fail();
  out.evenOdd = fillType == 1;
  // Unknown caps and joins keep the default, as Android does.
  switch (integer(element, kAttrStrokeLineCap, 0)) {
    case 1: out.cap = DrawingPath::Cap::Round; break;
    case 2: out.cap = DrawingPath::Cap::Square; break;
    default: break;
  }
  switch (integer(element, kAttrStrokeLineJoin, 0)) {
    case 1: out.join = DrawingPath::Join::Round; break;
    case 2: out.join = DrawingPath::Join::Bevel; break;
    default: break;
  }
}

// Children in document order, as Android reads them: a solid fill and a
// gradient each replace the other.
void IconReader::shape(const ToolXmlTree& tree, const ToolElement& element, ShapeDrawable& out, int depth) {
  const int kind = integer(element, kAttrShape, 0);
  if (kind != 0 && kind != 1) fail();  // lines and rings are not drawn
  out.shape = kind == 1 ? ShapeDrawable::Shape::Oval : ShapeDrawable::Shape::Rectangle;
  for (std::size_t index : element.children) {
    const ToolElement& child = tree.elements[index];
    if (child.name == "solid") {
      checkElement(child);
      const ResValue* found = value(child, kAttrColor);
      out.hasSolid = found != nullptr;
      out.solidArgb = found ? color(*found, depth + 1) : 0;
      out.hasGradient = false;
    } else if (child.name == "gradient") {
      out.hasGradient = true;
      out.hasSolid = false;
      out.gradient = ShapeGradient();
      shapeGradient(child, out.gradient, depth);
    } else if (child.name == "corners") {
      corners(child, out);
    } else if (child.name == "stroke") {
      fail();
    }
  }
}

// Android's rules for a shape's gradient: the centre colour's position is
// centerX unless that is the default 0.5, then centerY; a radial gradient
// needs a radius (a fraction of the bounds, a dimension, or a plain number
// in pixels) and a non-positive one becomes a tiny one.
void IconReader::shapeGradient(const ToolElement& element, ShapeGradient& out, int depth) {
  checkElement(element);
  const int type = integer(element, kAttrType, 0);
  if (type < 0 || type > 2) fail();
  out.type = type == 1 ? ShapeGradient::Type::Radial : type == 2 ? ShapeGradient::Type::Sweep : ShapeGradient::Type::Linear;
  out.angle = ShapeGradientAngle(number(element, kAttrAngle, 0));
  for (auto [id, member] : {std::pair{kAttrCenterX, &ShapeGradient::centerX}, std::pair{kAttrCenterY, &ShapeGradient::centerY}}) {
    const ResValue* found = value(element, id);
    if (!found) continue;
    const std::optional<float> decoded = found->type == kResFraction ? DecodeFraction(*found) : DecodeNumber(*found);
    if (!decoded) fail();
    out.*member = decoded.value_or(0.5f);
  }
  if (const ResValue* radius = value(element, kAttrGradientRadius)) {
    out.radiusIsFraction = radius->type == kResFraction;
    const std::optional<float> decoded = out.radiusIsFraction ? DecodeFraction(*radius)
                                         : radius->type == kResDimension ? DecodeDimensionDp(*radius)
                                                                          : DecodeNumber(*radius);
    if (!decoded) fail();
    out.radius = decoded.value_or(0) > 0 ? *decoded : 0.001f;
  } else if (out.type == ShapeGradient::Type::Radial) {
    fail();
  }
  const auto colorOf = [&](std::uint32_t id) {
    const ToolAttribute* attribute = element.attribute(id);
    return attribute ? color(attribute->value, depth + 1) : 0u;
  };
  out.stops.push_back({0.0f, colorOf(kAttrStartColor)});
  if (element.attribute(kAttrCenterColor)) {
    out.stops.push_back({out.centerX != 0.5f ? out.centerX : out.centerY, colorOf(kAttrCenterColor)});
  }
  out.stops.push_back({1.0f, colorOf(kAttrEndColor)});
  NormaliseStops(out.stops);
}

// One radius for every corner, which each corner's own radius replaces.
void IconReader::corners(const ToolElement& element, ShapeDrawable& out) {
  checkElement(element);
  const float radius = dimension(element, kAttrRadius).value_or(0);
  constexpr std::uint32_t kCornerIds[4] = {kAttrTopLeftRadius, kAttrTopRightRadius, kAttrBottomRightRadius,
                                           kAttrBottomLeftRadius};
  for (int corner = 0; corner < 4; ++corner) out.cornerRadii[corner] = dimension(element, kCornerIds[corner]).value_or(radius);
}

// android:inset for every side, which each side's own inset replaces; each
// a fraction of the bounds or a dimension. The inner drawable is the last
// child element, else android:drawable.
void IconReader::inset(const ToolXmlTree& tree, const ToolElement& element, LayerDrawable& out, int depth) {
  out.kind = LayerDrawable::Kind::Inset;
  const auto readInset = [&](std::uint32_t id, int firstSide, int lastSide) {
    const ResValue* found = value(element, id);
    if (!found) return;
    const bool fraction = found->type == kResFraction;
    const std::optional<float> decoded = fraction ? DecodeFraction(*found) : DecodeDimensionDp(*found);
    if (!decoded) fail();
    for (int side = firstSide; side <= lastSide; ++side) {
      out.insets[side] = decoded.value_or(0);
      out.insetIsFraction[side] = fraction;
    }
  };
  readInset(kAttrInset, 0, 3);
  constexpr std::uint32_t kSideIds[4] = {kAttrInsetLeft, kAttrInsetTop, kAttrInsetRight, kAttrInsetBottom};
  for (int side = 0; side < 4; ++side) readInset(kSideIds[side], side, side);
  out.inner = std::make_shared<LayerDrawable>();
  if (!element.children.empty()) {
    drawableElement(tree, tree.elements[element.children.back()], *out.inner, depth + 1);
  } else if (const ToolAttribute* drawable = element.attribute(kAttrDrawable)) {
    drawableValue(drawable->value, *out.inner, depth + 1);
  } else {
    fail();
  }
}

// A bitmap element's picture: android:src must name a raster file.
void IconReader::bitmapElement(const ToolElement& element, LayerDrawable& out) {
  const ResValue* source = value(element, kAttrSrc);
  if (!source || source->type != kResString || !IsRasterEntry(source->string)) {
    fail();
    return;
  }
  raster(source->string, out);
}

}  // namespace

AndroidIconDrawing ReadAndroidIcon(const DrawableSources& sources, const std::string& iconEntry) {
  if (!iconEntry.ends_with(".xml")) return {};
  IconReader reader(sources);
  return reader.read(iconEntry);
}
