#pragma once
// One small owner per Win32 handle kind; none of them can be copied.
#include <windows.h>

#include <ole2.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <utility>

// A kernel handle closed with CloseHandle. Both null and INVALID_HANDLE_VALUE
// count as "no handle", since Win32 functions use either for failure.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h) {}
  UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.h_, nullptr));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  HANDLE get() const { return h_; }
  bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  explicit operator bool() const { return valid(); }
  HANDLE* receive() { reset(); return &h_; }
  void reset(HANDLE h = nullptr) {
    if (valid()) CloseHandle(h_);
    h_ = h;
  }

 private:
  HANDLE h_ = nullptr;
};

// A GDI object deleted with DeleteObject.
template <typename T>
class ScopedGdiObject {
 public:
  explicit ScopedGdiObject(T obj = nullptr) : obj_(obj) {}
  ScopedGdiObject(const ScopedGdiObject&) = delete;
  ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
  ~ScopedGdiObject() { reset(); }
  T get() const { return obj_; }
  explicit operator bool() const { return obj_ != nullptr; }
  // Deletes the held object and takes over obj.
  void reset(T obj = nullptr) {
    if (obj_) DeleteObject(obj_);
    obj_ = obj;
  }
  // Hands the object over (to the clipboard, say); nothing is deleted.
  T release() { return std::exchange(obj_, nullptr); }

 private:
  T obj_;
};

// A COM interface pointer that releases its reference.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(T* p) : p_(p) {}  // takes over a reference
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T** receive() { reset(); return &p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Releases the held reference and takes over p's.
  void reset(T* p = nullptr) {
    if (p_) p_->Release();
    p_ = p;
  }

 private:
  T* p_ = nullptr;
};

// A window's device context, released with ReleaseDC.
class ScopedGetDC {
 public:
  explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ScopedGetDC(const ScopedGetDC&) = delete;
  ScopedGetDC& operator=(const ScopedGetDC&) = delete;
  ~ScopedGetDC() { if (dc_) ReleaseDC(window_, dc_); }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A memory device context, deleted with DeleteDC.
class ScopedCompatibleDC {
 public:
  explicit ScopedCompatibleDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ScopedCompatibleDC(const ScopedCompatibleDC&) = delete;
  ScopedCompatibleDC& operator=(const ScopedCompatibleDC&) = delete;
  ~ScopedCompatibleDC() { if (dc_) DeleteDC(dc_); }
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// An object selected into a device context until the scope ends.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
  ~ScopedSelectObject() { if (old_) SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A lock on movable global memory, unlocked when the scope ends.
class ScopedGlobalLock {
 public:
  explicit ScopedGlobalLock(HGLOBAL memory) : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
  ScopedGlobalLock(const ScopedGlobalLock&) = delete;
  ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;
  ~ScopedGlobalLock() { if (data_) GlobalUnlock(memory_); }
  void* data() const { return data_; }
  std::size_t size() const { return data_ ? GlobalSize(memory_) : 0; }

 private:
  HGLOBAL memory_;
  void* data_;
};

// Registers a child control's window class once per module: redrawn whole
// on every new size, with the cursor given (a system cursor id).
inline void RegisterControlClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, LPCWSTR cursor) {
  WNDCLASSEXW cls{};
  if (GetClassInfoExW(instance, name, &cls)) return;
  cls.cbSize = sizeof cls;
  cls.style = CS_HREDRAW | CS_VREDRAW;
  cls.lpfnWndProc = proc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, cursor);
  cls.lpszClassName = name;
  RegisterClassExW(&cls);
}

// New global memory holding a copy of the bytes, or nullptr. Zero bytes
// still give a block (of one byte), since a zero-sized block cannot be
// locked.
inline HGLOBAL CopyToGlobalMemory(const void* bytes, std::size_t size, UINT flags = GMEM_MOVEABLE) {
  HGLOBAL memory = GlobalAlloc(flags, size ? size : 1);
  if (!memory) return nullptr;
  {
    ScopedGlobalLock lock(memory);
    if (!lock.data()) {
      GlobalFree(memory);
      return nullptr;
    }
    if (size) std::memcpy(lock.data(), bytes, size);
  }
  return memory;
}

// The entries of a folder that match a pattern ("C:\\dir\\*"), "." and ".."
// left out:
//   for (FolderEntries entries(pattern); entries.valid(); entries.next()) ...
// The search handle is closed when the iterator goes. WideFolderEntries
// reaches paths the narrow calls cannot (beyond MAX_PATH with the "\\?\"
// prefix, or names outside the code page).
template <typename Char>
class BasicFolderEntries {
 public:
  using FindData = std::conditional_t<std::is_same_v<Char, char>, WIN32_FIND_DATAA, WIN32_FIND_DATAW>;

  explicit BasicFolderEntries(const std::basic_string<Char>& pattern) : search_(findFirst(pattern.c_str())) {
    skipDots();
  }
  BasicFolderEntries(const BasicFolderEntries&) = delete;
  BasicFolderEntries& operator=(const BasicFolderEntries&) = delete;
  ~BasicFolderEntries() { if (search_ != INVALID_HANDLE_VALUE) FindClose(search_); }

  bool valid() const { return search_ != INVALID_HANDLE_VALUE && more_; }
  void next() {
    more_ = findNext();
    skipDots();
  }
  const FindData& entry() const { return found_; }
  const Char* name() const { return found_.cFileName; }
  DWORD attributes() const { return found_.dwFileAttributes; }

 private:
  HANDLE findFirst(const Char* pattern) {
    if constexpr (std::is_same_v<Char, char>) return FindFirstFileA(pattern, &found_);
    else return FindFirstFileW(pattern, &found_);
  }
  bool findNext() {
    if constexpr (std::is_same_v<Char, char>) return FindNextFileA(search_, &found_);
    else return FindNextFileW(search_, &found_);
  }
  bool isDots() const {
    const Char* n = found_.cFileName;
    return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0));
  }
  void skipDots() {
    while (valid() && isDots()) more_ = findNext();
  }

  FindData found_{};
  HANDLE search_;
  bool more_ = true;
};
using FolderEntries = BasicFolderEntries<char>;
using WideFolderEntries = BasicFolderEntries<wchar_t>;

// The clipboard, opened for the scope and closed when it ends; opened()
// tells whether another program kept it.
class ScopedClipboard {
 public:
  explicit ScopedClipboard(HWND owner) : opened_(OpenClipboard(owner)) {}
  ScopedClipboard(const ScopedClipboard&) = delete;
  ScopedClipboard& operator=(const ScopedClipboard&) = delete;
  ~ScopedClipboard() { if (opened_) CloseClipboard(); }
  bool opened() const { return opened_; }

 private:
  bool opened_;
};

// OLE (or COM alone) on this thread for the scope; undone only when this
// scope started it.
class ScopedOle {
 public:
  enum Kind { Ole, ComOnly };
  explicit ScopedOle(Kind kind = Ole)
      : kind_(kind), started_(SUCCEEDED(kind == Ole ? OleInitialize(nullptr) : CoInitialize(nullptr))) {}
  ScopedOle(const ScopedOle&) = delete;
  ScopedOle& operator=(const ScopedOle&) = delete;
  ~ScopedOle() {
    if (!started_) return;
    if (kind_ == Ole) OleUninitialize(); else CoUninitialize();
  }

 private:
  Kind kind_;
  bool started_;
};
