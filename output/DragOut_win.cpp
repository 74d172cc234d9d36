#include "output/DragOut_win.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <new>
#include <vector>

#include "image/Picture_win.h"
#include "output/DropFiles.h"
#include "output/PictureStore.h"
#include "output/SaveName.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"

namespace {

// One format a data object serves, with the medium it owns.
struct FormatEntry {
  FORMATETC format;
  STGMEDIUM medium;
};

// tymed compared for equality (not as a set), cfFormat as a 16-bit number;
// ptd and lindex are not compared.
FormatEntry* FindFormat(std::vector<FormatEntry>& formats, const FORMATETC& wanted) {
  for (FormatEntry& entry : formats) {
    if (entry.format.tymed == wanted.tymed && entry.format.dwAspect == wanted.dwAspect &&
        static_cast<WORD>(entry.format.cfFormat) == static_cast<WORD>(wanted.cfFormat)) {
      return &entry;
    }
  }
  return nullptr;
}

FORMATETC HGlobalFormat(CLIPFORMAT format) { return {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

HGLOBAL GlobalCopy(ByteSpan bytes, UINT flags) { return CopyToGlobalMemory(bytes.data(), bytes.size(), flags); }

// A copy of a medium that its receiver owns: global memory is duplicated,
// streams and storages are shared under a reference of the copy's own. Done
// here rather than with urlmon's CopyStgMedium: urlmon is not one of the
// libraries the loader always takes from the system folder, and a copy
// planted beside the program would be loaded in its place.
HRESULT CopyMedium(const STGMEDIUM& from, STGMEDIUM* to) {
  *to = {};
  switch (from.tymed) {
    case TYMED_NULL:
      break;
    case TYMED_HGLOBAL: {
      const ScopedGlobalLock source(from.hGlobal);
      if (!source.data()) return DV_E_STGMEDIUM;
      to->hGlobal = GlobalCopy({static_cast<const std::uint8_t*>(source.data()), source.size()}, GMEM_MOVEABLE);
      if (!to->hGlobal) return E_OUTOFMEMORY;
      break;
    }
    case TYMED_ISTREAM:
      if (!from.pstm) return DV_E_STGMEDIUM;
      to->pstm = from.pstm;
      to->pstm->AddRef();
      break;
    case TYMED_ISTORAGE:
      if (!from.pstg) return DV_E_STGMEDIUM;
      to->pstg = from.pstg;
      to->pstg->AddRef();
      break;
    default:
      return DV_E_TYMED;
  }
  to->tymed = from.tymed;
  return S_OK;
}

class IconDataObject final : public IDataObject {
 public:
  static HRESULT Create(IDataObject** object) {
    *object = nullptr;
    auto* created = new (std::nothrow) IconDataObject();
    if (!created) return E_OUTOFMEMORY;
    *object = created;  // born holding the caller's one reference
    return S_OK;
  }

  IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    static const QITAB kInterfaces[] = {QITABENT(IconDataObject, IDataObject), {}};
    return QISearch(this, kInterfaces, riid, ppv);
  }
  IFACEMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  IFACEMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  IFACEMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    FormatEntry* entry = FindFormat(formats_, *format);
    if (!entry) return E_NOTIMPL;
    return CopyMedium(entry->medium, medium);  // the caller owns the copy
  }
  IFACEMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  IFACEMETHODIMP QueryGetData(FORMATETC* format) override {
    if (!format) return E_INVALIDARG;
    return FindFormat(formats_, *format) ? S_OK : E_NOTIMPL;
  }
  IFACEMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  IFACEMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override {
    if (!format || !medium) return E_INVALIDARG;
    STGMEDIUM stored{};
    if (release) {
      stored = *medium;  // taken over
    } else {
      const HRESULT hr = CopyMedium(*medium, &stored);
      if (FAILED(hr)) return hr;
    }
    FORMATETC kept = *format;
    kept.ptd = nullptr;  // the caller's device description is not ours to keep
    if (FormatEntry* entry = FindFormat(formats_, kept)) {
      ReleaseStgMedium(&entry->medium);
      *entry = {kept, stored};
    } else {
      formats_.push_back({kept, stored});
    }
    return S_OK;
  }
  // Lists exactly what GetData serves: a target that picks a listed format
  // must get it.
  IFACEMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
    if (!formats) return E_INVALIDARG;
    *formats = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> served;
    for (const FormatEntry& entry : formats_) served.push_back(entry.format);
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(served.size()), served.data(), formats);
  }
  IFACEMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  IFACEMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  IFACEMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

  // The DROPFILES block a drag offers, as CF_HDROP in global memory the
  // object owns.
  bool addDropFiles(ByteSpan dropFiles) {
    HGLOBAL memory = GlobalCopy(dropFiles, GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (!memory) return false;
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = memory;
    formats_.push_back({HGlobalFormat(CF_HDROP), medium});
    return true;
  }

 private:
  IconDataObject() = default;
  ~IconDataObject() {
    for (FormatEntry& entry : formats_) ReleaseStgMedium(&entry.medium);
  }

  LONG references_ = 1;
  std::vector<FormatEntry> formats_;  // its own: no other data object touches them
};

}  // namespace

HRESULT CreateIconDataObject(IDataObject** object, ByteSpan dropFiles) {
  const HRESULT hr = IconDataObject::Create(object);
  if (FAILED(hr) || dropFiles.empty()) return hr;
  if (!static_cast<IconDataObject*>(*object)->addDropFiles(dropFiles)) {
    (*object)->Release();
    *object = nullptr;
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

IconDragSource* IconDragSource::Create() { return new (std::nothrow) IconDragSource(); }

IFACEMETHODIMP IconDragSource::QueryInterface(REFIID riid, void** ppv) {
  static const QITAB kInterfaces[] = {QITABENT(IconDragSource, IDropSource), {}};
  return QISearch(this, kInterfaces, riid, ppv);
}

IFACEMETHODIMP_(ULONG) IconDragSource::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

IFACEMETHODIMP_(ULONG) IconDragSource::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

IFACEMETHODIMP IconDragSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  if (escapePressed) return DRAGDROP_S_CANCEL;
  return (keyState & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
}

IFACEMETHODIMP IconDragSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

bool IconDragSource::dragOut(const std::string& path) {
  const std::wstring wide = WideFromAnsi(path);
  IDataObject* data = nullptr;
  if (FAILED(CreateIconDataObject(&data, BuildDropFiles(std::u16string(wide.begin(), wide.end()))))) return false;
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT hr = DoDragDrop(data, this, DROPEFFECT_COPY, &effect);
  data->Release();  // the program keeps no reference of its own
  return hr == DRAGDROP_S_DROP;
}

namespace {
bool gDraggingOut = false;
}  // namespace

bool DraggingIconOut() { return gDraggingOut; }

bool StartIconDrag(const std::string& dragFolder, const PictureStore& store, IconDragSource& source) {
  if (!store.hasPicture() || dragFolder.empty()) return false;
  const Bytes png = ChosenImageAsPng(store.picture(), store.chosenImage());
  if (png.empty()) return false;
  // The name a save would propose, in the drag folder.
  const std::string proposal = SaveProposal(store.source(), SystemLeadByte, [](const std::string&) { return false; });
  const std::size_t slash = FindLastText(proposal, "\\", SystemLeadByte);
  const std::string name = proposal.empty() ? "icon.png" : proposal.substr(slash == std::string::npos ? 0 : slash + 1);
  const std::string path = dragFolder + "\\" + name;
  // A drop target must never be offered an old or half-written file.
  if (!WriteFileAtomically(path, png)) return false;
  gDraggingOut = true;
  source.dragOut(path);
  gDraggingOut = false;
  return true;
}
