#include "draw/IconFileForms.h"

#include "image/ImageFormat.h"
#include "image/PngEncode.h"
#include "image/Xpm.h"
#include "support/Gzip.h"
#include "support/TextScan.h"

IconFileForm IconFileFormOf(std::string_view name) {
  const std::string_view extension = FileNameExtension(name, NoLeadBytes);
  if (EqualsIgnoringAsciiCase(extension, ".svg")) return IconFileForm::Svg;
  if (EqualsIgnoringAsciiCase(extension, ".svgz")) return IconFileForm::Svgz;
  if (EqualsIgnoringAsciiCase(extension, ".xpm")) return IconFileForm::Xpm;
  return IconFileForm::Bitmap;
}

IconFileForm IconFileFormOfBytes(ByteSpan start) {
  std::string_view text = AsText(start);
  if (text.starts_with("\x1f\x8b")) return IconFileForm::Svgz;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  text = TrimmedBlanks(text);
  if (text.starts_with("/* XPM */")) return IconFileForm::Xpm;
  return text.starts_with('<') ? IconFileForm::Svg : IconFileForm::Bitmap;
}

Bytes SvgDocumentText(IconFileForm form, Bytes bytes) {
  return form == IconFileForm::Svgz ? InflateGzip(bytes, kMaxSvgBytes) : bytes;
}

Bytes IconFileAsPng(IconFileForm form, std::uint64_t bitmapLimit, const std::function<Bytes(std::uint64_t maxBytes)>& read,
                    int side, SvgRefused* refused, const std::function<bool()>& keepGoing) {
  switch (form) {
    case IconFileForm::Svg:
    case IconFileForm::Svgz: {
      const Bytes text = SvgDocumentText(form, read(kMaxSvgBytes));
      SvgPicture drawn = DrawSvgIcon(AsText(text), side, keepGoing);
      if (refused) *refused = std::move(drawn.refused);
      return drawn.image.pixels.empty() ? Bytes() : WritePng(drawn.image);
    }
    case IconFileForm::Xpm: {
      const RgbaImage decoded = DecodeXpm(read(kMaxXpmText));
      return decoded.pixels.empty() ? Bytes() : WritePng(decoded);
    }
    case IconFileForm::Bitmap: break;
  }
  Bytes bytes = read(bitmapLimit);
  return SniffImageFormat(bytes) == ImageFormat::Png ? bytes : Bytes();
}

bool ReportSvgRefusal(const PipelineContext& context, const SvgRefused& refused) {
  switch (refused.why) {
    case SvgRefusal::Feature: context.report(IconReason::SvgFeature, {refused.feature, {}, false}); return true;
    case SvgRefusal::BeyondLimits: context.report(IconReason::Damaged); return true;
    case SvgRefusal::None:
    case SvgRefusal::Cancelled:
    case SvgRefusal::Other: break;
  }
  return false;
}
