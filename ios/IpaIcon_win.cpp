#include "ios/IpaIcon_win.h"

#include "image/CgbiPng.h"
#include "image/ImageFormat.h"
#include "image/PngNormalize_win.h"
#include "ios/IpaIconChoice.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tools/ArchiveEntry_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/Extraction_win.h"
#include "tools/HelperTools.h"

namespace {

// A standard PNG stays as it is. Apple-crushed data, stored blue first and
// premultiplied, comes out in true colours with its transparency, decoded as
// a loose crushed picture is (image/CgbiPng). Should the PNG decoder refuse
// what the crushed data rewrites into, the system codec gets its turn: it
// re-encodes the stored pixels as they are, alpha included, and the same
// un-crushing follows. Anything else the codec reads (a JPEG under a .png
// name, say) is re-encoded with its colours kept.
Bytes StandardPng(Bytes bytes) {
  if (IsStandardPngStart(bytes)) return bytes;
  if (!IsCgbiPng(bytes)) return ReencodeImage(bytes, 5, 0);
  Bytes shown = CgbiToPng(bytes);
  return shown.empty() ? CrushedPixelsToPng(ReencodeImage(bytes, 5, 0)) : shown;
}

}  // namespace

Bytes ExtractIpaIcon(const PipelineContext& context, const std::string& packagePath) {
  const ArchiveSource package{packagePath, "-tzip", EntryText::Narrow};
  const IpaIconEntry best = ChooseIpaIconEntry(ListArchive(context, package), SystemLeadByte);
  if (best.name.empty()) return {};
  const ArchiveEntry icon{best.name + ".png", best.size};
  // A name that fails the entry guard is refused: nothing runs for it.
  if (ExtractedName(icon.path, "\\").empty()) {
    context.report(IconReason::Refused, Because("an unsafe entry name"));
    return {};
  }
  return StandardPng(ReadArchiveEntry(context, package, icon, kMaxReadBytes));
}
