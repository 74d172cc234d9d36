#include "output/SizeChoice.h"

#include <algorithm>

#include "image/IcoDecode.h"
#include "image/ImageFormat.h"

namespace {

// U+00D7 MULTIPLICATION SIGN in UTF-8.
constexpr char kTimes[] = "\xC3\x97";

std::string SizeLabel(std::uint32_t width, std::uint32_t height) {
  if (width == height) return std::to_string(width);
  return std::to_string(width) + kTimes + std::to_string(height);
}

}  // namespace

std::vector<SizeItem> SizeItems(ByteSpan picture) {
  std::vector<SizeItem> items;
  if (SniffImageFormat(picture) != ImageFormat::Icon) {
    const ImageSize size = ProbeImageSize(picture);
    if (IsPictureImage(picture) && ImageSizeAllowed(size.width, size.height)) {
      items.push_back({0, size.width, size.height, 0, SizeLabel(size.width, size.height), {}});
    }
    return items;
  }
  const std::vector<IcoEntry> entries = ListIcoEntries(picture);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const IcoEntry& e = entries[i];
    items.push_back({i, e.width, e.height, e.bitCount, SizeLabel(e.width, e.height), {}});
  }
  std::stable_sort(items.begin(), items.end(), [](const SizeItem& a, const SizeItem& b) {
    return OutranksIconImage({a.width, a.height, a.bitCount}, {b.width, b.height, b.bitCount});
  });
  // The depth tells apart images of one size, and only those.
  for (SizeItem& item : items) {
    const auto sameSize = [&item](const SizeItem& other) {
      return other.width == item.width && other.height == item.height;
    };
    if (std::count_if(items.begin(), items.end(), sameSize) > 1) item.depth = std::to_string(item.bitCount) + "-bit";
  }
  return items;
}

std::size_t PositionOfImage(const std::vector<SizeItem>& items, std::size_t image) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].image == image) return i;
  }
  return 0;
}

std::size_t StepImage(const std::vector<SizeItem>& items, std::size_t chosenImage, int step) {
  if (items.empty()) return chosenImage;
  const long long last = static_cast<long long>(items.size()) - 1;
  const long long to = std::clamp(static_cast<long long>(PositionOfImage(items, chosenImage)) + step, 0LL, last);
  return items[static_cast<std::size_t>(to)].image;
}

std::string ChosenImageText(const std::vector<SizeItem>& items, std::size_t chosenImage) {
  if (items.empty()) return {};
  const std::size_t at = PositionOfImage(items, chosenImage);
  const SizeItem& item = items[at];
  std::string text = std::to_string(item.width) + " " + kTimes + " " + std::to_string(item.height);
  if (item.bitCount) text += ", " + std::to_string(item.bitCount) + "-bit";
  return text + ", " + std::to_string(at + 1) + " of " + std::to_string(items.size());
}

std::string DescribeChosenImage(ByteSpan picture, std::size_t chosenImage) {
  std::string text = DescribePicture(picture);
  if (chosenImage == 0 || text.empty() || SniffImageFormat(picture) != ImageFormat::Icon) return text;
  const std::vector<IcoEntry> entries = ListIcoEntries(picture);
  if (chosenImage >= entries.size()) return text;
  const IcoEntry& e = entries[chosenImage];
  return std::to_string(e.width) + " " + kTimes + " " + std::to_string(e.height) + text.substr(text.rfind(' '));
}

FittedRect ShownPlace(int width, int height, int boxWidth, int boxHeight) {
  if (width < 1 || height < 1 || boxWidth < 1 || boxHeight < 1) return {};
  int scale = 0;
  if (std::max(width, height) <= kPixelSharpSide) {
    scale = std::min(boxWidth / width, boxHeight / height);
  } else if (width <= boxWidth && height <= boxHeight) {
    scale = 1;
  }
  if (scale < 1) return FitCentred(width, height, boxWidth, boxHeight);
  const int shownWidth = width * scale, shownHeight = height * scale;
  return {(boxWidth - shownWidth) / 2, (boxHeight - shownHeight) / 2, shownWidth, shownHeight};
}

namespace {

// The end of the items that fit in width from first on, at least one.
std::size_t EndOfFit(const std::vector<int>& widths, int gap, int width, std::size_t first) {
  std::size_t end = first;
  for (int used = 0; end < widths.size(); ++end) {
    used += (end > first ? gap : 0) + widths[end];
    if (used > width) break;
  }
  return std::max(end, std::min(first + 1, widths.size()));
}

}  // namespace

ShownItems ShownRowItems(const std::vector<int>& widths, int gap, int rowWidth, int arrowWidth, std::size_t chosen,
                         std::size_t previousFirst) {
  const std::size_t count = widths.size();
  if (EndOfFit(widths, gap, rowWidth, 0) == count) return {0, count};
  chosen = std::min(chosen, count - 1);
  for (std::size_t first = std::min(previousFirst, chosen);; ++first) {
    const int width = rowWidth - (first > 0 ? arrowWidth : 0);
    std::size_t end = EndOfFit(widths, gap, width, first);
    if (end < count) end = EndOfFit(widths, gap, width - arrowWidth, first);
    if (chosen < end || first == chosen) return {first, end};
  }
}
