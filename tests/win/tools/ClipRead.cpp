// Reads the clipboard as another program would and prints one line:
//   bitmap=<0|1> dib=<0|1> size=<W>x<H> pixel=<RRGGBB at X,Y>
//   clipread X Y
// or, with "png OUT", writes the clipboard's "PNG" data to OUT and prints
//   png=<bytes>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  const int px = argc > 2 ? std::atoi(argv[1]) : 0, py = argc > 2 ? std::atoi(argv[2]) : 0;
  bool opened = false;
  for (int i = 0; i < 50 && !(opened = OpenClipboard(nullptr)); ++i) Sleep(20);
  if (!opened) return 1;
  if (argc > 2 && std::string(argv[1]) == "png") {
    std::size_t size = 0;
    if (HANDLE data = GetClipboardData(RegisterClipboardFormatW(L"PNG"))) {
      size = GlobalSize(data);
      if (FILE* out = std::fopen(argv[2], "wb")) {
        std::fwrite(GlobalLock(data), 1, size, out);
        std::fclose(out);
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
    std::printf("png=%zu\n", size);
    return 0;
  }
  const bool bitmap = IsClipboardFormatAvailable(CF_BITMAP);
  const bool dib = IsClipboardFormatAvailable(CF_DIB);
  long width = 0, height = 0;
  unsigned pixel = 0xFFFFFFFF;
  if (HANDLE data = dib ? GetClipboardData(CF_DIB) : nullptr) {
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(data));
    if (header && (header->biBitCount == 32 || header->biBitCount == 24)) {
      width = header->biWidth;
      height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
      const auto* bits = reinterpret_cast<const unsigned char*>(header) + header->biSize +
                         (header->biCompression == BI_BITFIELDS ? 12 : 0);
      const long stride = ((width * header->biBitCount + 31) / 32) * 4;
      const long row = header->biHeight < 0 ? py : height - 1 - py;
      const unsigned char* p = bits + row * stride + px * (header->biBitCount / 8);
      pixel = (unsigned{p[2]} << 16) | (unsigned{p[1]} << 8) | p[0];
    }
    GlobalUnlock(data);
  }
  CloseClipboard();
  char line[128];
  const int n = std::snprintf(line, sizeof line, "bitmap=%d dib=%d size=%ldx%ld pixel=%06X\n", bitmap, dib, width, height, pixel);
  DWORD written = 0;  // WriteFile, so that the line ends in a bare line feed
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(n), &written, nullptr);
  return 0;
}
