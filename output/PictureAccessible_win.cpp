#include "output/PictureAccessible_win.h"

#include <oleacc.h>
#include <shlwapi.h>

#include <utility>

namespace {

using CreateStdFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);

// The accessibility library, from the system folder, when first asked for.
HMODULE Oleacc() {
  static const HMODULE library = [] {
    wchar_t folder[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return HMODULE{};
    return LoadLibraryW((std::wstring(folder, n) + L"\\oleacc.dll").c_str());
  }();
  return library;
}

BSTR Text(const std::wstring& text) { return SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The system's object for the window with a name and a value of our own.
class PictureAccessible final : public IAccessible {
 public:
  PictureAccessible(IAccessible* inner, std::function<std::wstring()> value, std::wstring name)
      : inner_(inner), value_(std::move(value)), name_(std::move(name)) {}

  // Only its own interfaces: handing out one of the system object's (its
  // IOleWindow, IEnumVARIANT) would give a second identity, whose IUnknown
  // is not this object's, and whose answers skip our name and value.
  IFACEMETHODIMP QueryInterface(REFIID riid, void** out) override {
    static const QITAB kInterfaces[] = {
        QITABENT(PictureAccessible, IAccessible),
        QITABENTMULTI(PictureAccessible, IDispatch, IAccessible),
        {},
    };
    return QISearch(this, kInterfaces, riid, out);
  }
  IFACEMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
  IFACEMETHODIMP_(ULONG) Release() override {
    const ULONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

  IFACEMETHODIMP GetTypeInfoCount(UINT* n) override { return inner_->GetTypeInfoCount(n); }
  IFACEMETHODIMP GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override { return inner_->GetTypeInfo(i, l, t); }
  IFACEMETHODIMP GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
    return inner_->GetIDsOfNames(r, n, c, l, d);
  }
  IFACEMETHODIMP Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v, EXCEPINFO* e, UINT* a) override {
    return inner_->Invoke(d, r, l, f, p, v, e, a);
  }

  IFACEMETHODIMP get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child)) return inner_->get_accName(child, name);
    if (!name) return E_POINTER;
    *name = Text(name_);
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  IFACEMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
    if (!IsSelf(child)) return inner_->get_accValue(child, value);
    if (!value) return E_POINTER;
    *value = Text(value_());
    return *value ? S_OK : E_OUTOFMEMORY;
  }

  IFACEMETHODIMP get_accParent(IDispatch** p) override { return inner_->get_accParent(p); }
  IFACEMETHODIMP get_accChildCount(LONG* n) override { return inner_->get_accChildCount(n); }
  IFACEMETHODIMP get_accChild(VARIANT c, IDispatch** p) override { return inner_->get_accChild(c, p); }
  IFACEMETHODIMP get_accDescription(VARIANT c, BSTR* s) override { return inner_->get_accDescription(c, s); }
  IFACEMETHODIMP get_accRole(VARIANT c, VARIANT* r) override { return inner_->get_accRole(c, r); }
  IFACEMETHODIMP get_accState(VARIANT c, VARIANT* s) override { return inner_->get_accState(c, s); }
  IFACEMETHODIMP get_accHelp(VARIANT c, BSTR* s) override { return inner_->get_accHelp(c, s); }
  IFACEMETHODIMP get_accHelpTopic(BSTR* f, VARIANT c, LONG* t) override { return inner_->get_accHelpTopic(f, c, t); }
  IFACEMETHODIMP get_accKeyboardShortcut(VARIANT c, BSTR* s) override { return inner_->get_accKeyboardShortcut(c, s); }
  IFACEMETHODIMP get_accFocus(VARIANT* f) override { return inner_->get_accFocus(f); }
  IFACEMETHODIMP get_accSelection(VARIANT* s) override { return inner_->get_accSelection(s); }
  IFACEMETHODIMP get_accDefaultAction(VARIANT c, BSTR* s) override { return inner_->get_accDefaultAction(c, s); }
  IFACEMETHODIMP accSelect(LONG f, VARIANT c) override { return inner_->accSelect(f, c); }
  IFACEMETHODIMP accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT c) override {
    return inner_->accLocation(x, y, w, h, c);
  }
  IFACEMETHODIMP accNavigate(LONG d, VARIANT s, VARIANT* e) override { return inner_->accNavigate(d, s, e); }
  IFACEMETHODIMP accHitTest(LONG x, LONG y, VARIANT* c) override { return inner_->accHitTest(x, y, c); }
  IFACEMETHODIMP accDoDefaultAction(VARIANT c) override { return inner_->accDoDefaultAction(c); }
  IFACEMETHODIMP put_accName(VARIANT c, BSTR s) override { return inner_->put_accName(c, s); }
  IFACEMETHODIMP put_accValue(VARIANT c, BSTR s) override { return inner_->put_accValue(c, s); }

 private:
  ~PictureAccessible() { inner_->Release(); }

  LONG references_ = 1;
  IAccessible* inner_;  // owned: one reference
  std::function<std::wstring()> value_;
  std::wstring name_;
};

}  // namespace

LRESULT AnswerAccessibleObject(HWND box, WPARAM wParam, LPARAM lParam, std::function<std::wstring()> value,
                               std::wstring name) {
  if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return 0;
  HMODULE library = Oleacc();
  if (!library) return 0;
  const auto createStd = reinterpret_cast<CreateStdFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "CreateStdAccessibleObject")));
  const auto lresultFrom =
      reinterpret_cast<LresultFn>(reinterpret_cast<void*>(GetProcAddress(library, "LresultFromObject")));
  if (!createStd || !lresultFrom) return 0;
  IAccessible* inner = nullptr;
  if (FAILED(createStd(box, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&inner))) || !inner) return 0;
  auto* object = new PictureAccessible(inner, std::move(value), std::move(name));
  const LRESULT result = lresultFrom(IID_IAccessible, wParam, static_cast<IAccessible*>(object));
  object->Release();
  return result;
}
