// The drag-out COM objects called directly, as OLE and a drop target would.
#include "output/DragOut_win.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "output/PictureStore.h"
#include "tests/win/PipelineHarness.h"

namespace {

// An IUnknown that counts how often it is released: a medium handed over
// with it as pUnkForRelease is "freed" by that Release.
class CountingUnknown : public IUnknown {
 public:
  IFACEMETHODIMP QueryInterface(REFIID, void** ppv) override { *ppv = nullptr; return E_NOINTERFACE; }
  IFACEMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references); }
  IFACEMETHODIMP_(ULONG) Release() override { ++releases; return static_cast<ULONG>(--references); }
  int references = 1, releases = 0;
};

FORMATETC Format(CLIPFORMAT cf, DWORD tymed = TYMED_HGLOBAL) { return {cf, nullptr, DVASPECT_CONTENT, -1, tymed}; }

std::string HGlobalText(HGLOBAL memory, std::size_t skip = 0) {
  const ScopedGlobalLock lock(memory);
  return std::string(static_cast<const char*>(lock.data()) + skip);
}

TEST(IconDataObject, ServesItsFormatsByTheMatchingRule) {
  IDataObject* data = nullptr;
  ASSERT_EQ(CreateIconDataObject(&data, Bytes{'C', ':', '/', 'x'}), S_OK);  // a DROPFILES block, as given

  FORMATETC hdrop = Format(CF_HDROP);
  EXPECT_EQ(data->QueryGetData(&hdrop), S_OK);
  hdrop.lindex = 7;
  hdrop.ptd = nullptr;
  EXPECT_EQ(data->QueryGetData(&hdrop), S_OK) << "lindex is not compared";
  FORMATETC combined = Format(CF_HDROP, TYMED_HGLOBAL | TYMED_ISTREAM);
  STGMEDIUM medium{};
  EXPECT_EQ(data->GetData(&combined, &medium), E_NOTIMPL) << "tymed is compared for equality";
  FORMATETC text = Format(CF_TEXT), wide = Format(CF_UNICODETEXT);
  EXPECT_EQ(data->GetData(&text, &medium), E_NOTIMPL);
  EXPECT_EQ(data->GetData(&wide, &medium), E_NOTIMPL);
  EXPECT_EQ(data->GetData(nullptr, &medium), E_INVALIDARG);
  EXPECT_EQ(data->QueryGetData(nullptr), E_INVALIDARG);
  EXPECT_EQ(data->GetDataHere(&hdrop, &medium), DV_E_FORMATETC);
  EXPECT_EQ(data->GetCanonicalFormatEtc(&hdrop, &combined), E_NOTIMPL);
  EXPECT_EQ(data->DAdvise(&hdrop, 0, nullptr, nullptr), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(data->DUnadvise(1), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(data->EnumDAdvise(nullptr), OLE_E_ADVISENOTSUPPORTED);

  FORMATETC asked = Format(CF_HDROP);
  ASSERT_EQ(data->GetData(&asked, &medium), S_OK);
  EXPECT_EQ(HGlobalText(medium.hGlobal), "C:/x") << "a copy of the stored block";
  ReleaseStgMedium(&medium);
  EXPECT_EQ(data->Release(), 0u);
}

// Each format EnumFormatEtc lists, in order, with 0 for one GetData refuses.
std::vector<CLIPFORMAT> ListedAndServed(IDataObject* data) {
  std::vector<CLIPFORMAT> served;
  IEnumFORMATETC* formats = nullptr;
  if (FAILED(data->EnumFormatEtc(DATADIR_GET, &formats))) return served;
  FORMATETC format;
  while (formats->Next(1, &format, nullptr) == S_OK) {
    STGMEDIUM medium{};
    const bool got = data->GetData(&format, &medium) == S_OK;
    served.push_back(got ? format.cfFormat : 0);
    if (got) ReleaseStgMedium(&medium);
  }
  formats->Release();
  return served;
}

// A drop target picks from the list: every format in it is served, and
// nothing else is listed, also after a target set one of its own.
TEST(IconDataObject, ListsExactlyTheFormatsItServes) {
  IDataObject* data = nullptr;
  ASSERT_EQ(CreateIconDataObject(&data, Bytes{'C', ':', '/', 'x'}), S_OK);
  EXPECT_EQ(ListedAndServed(data), std::vector<CLIPFORMAT>{CF_HDROP});

  const auto effect = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"Performed DropEffect"));
  FORMATETC format = Format(effect);
  STGMEDIUM given{};
  given.tymed = TYMED_HGLOBAL;
  given.hGlobal = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4);
  ASSERT_EQ(data->SetData(&format, &given, TRUE), S_OK);
  EXPECT_EQ(ListedAndServed(data), (std::vector<CLIPFORMAT>{CF_HDROP, effect}));

  IEnumFORMATETC* settable = reinterpret_cast<IEnumFORMATETC*>(1);
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &settable), E_NOTIMPL);
  EXPECT_EQ(settable, nullptr);
  EXPECT_EQ(data->Release(), 0u);
}

// Each data object keeps its own media: one that dies (a drop target
// letting go of an earlier drag) takes nothing from a later one.
TEST(IconDataObject, EachObjectOwnsItsMedia) {
  IDataObject *first = nullptr, *second = nullptr;
  ASSERT_EQ(CreateIconDataObject(&first, Bytes{'a', 0}), S_OK);
  ASSERT_EQ(CreateIconDataObject(&second, Bytes{'b', 0}), S_OK);
  EXPECT_EQ(first->Release(), 0u);
  FORMATETC files = Format(CF_HDROP);
  STGMEDIUM medium{};
  ASSERT_EQ(second->GetData(&files, &medium), S_OK);
  EXPECT_EQ(HGlobalText(medium.hGlobal), "b");
  ReleaseStgMedium(&medium);
  EXPECT_EQ(second->Release(), 0u);
}

TEST(IconDataObject, SetDataIsAnsweredUntilTheObjectDiesThenReleased) {
  IDataObject* data = nullptr;
  ASSERT_EQ(CreateIconDataObject(&data), S_OK);
  CountingUnknown owner;
  const char text[] = "dropped";
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
  memcpy(ScopedGlobalLock(memory).data(), text, sizeof text);
  STGMEDIUM given{};
  given.tymed = TYMED_HGLOBAL;
  given.hGlobal = memory;
  given.pUnkForRelease = &owner;
  FORMATETC format = Format(CF_TEXT);
  ASSERT_EQ(data->SetData(&format, &given, TRUE), S_OK);  // taken over
  STGMEDIUM back{};
  ASSERT_EQ(data->GetData(&format, &back), S_OK);
  EXPECT_EQ(HGlobalText(back.hGlobal), "dropped");
  ReleaseStgMedium(&back);

  // A second SetData for the same format replaces the first, releasing it.
  STGMEDIUM second{};
  second.tymed = TYMED_HGLOBAL;
  second.hGlobal = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4);
  ASSERT_EQ(data->SetData(&format, &second, FALSE), S_OK);  // copied; ours to free
  ReleaseStgMedium(&second);
  EXPECT_GE(owner.releases, 1) << "the replaced medium was released";

  EXPECT_EQ(data->Release(), 0u);
  EXPECT_EQ(owner.references, 0) << "every reference handed over came back";
}

TEST(IconDragSource, AnswersForEscapeButtonAndFeedback) {
  IconDragSource* source = IconDragSource::Create();
  ASSERT_TRUE(source);
  EXPECT_EQ(source->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON | MK_SHIFT), S_OK);
  EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_RBUTTON | MK_CONTROL), DRAGDROP_S_DROP);
  EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
  IUnknown* unknown = nullptr;
  ASSERT_EQ(source->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(source->QueryInterface(IID_IDataObject, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(unknown->Release(), 1u);
  EXPECT_EQ(source->Release(), 0u);
}

class StartIconDragTest : public RunFolderTest {};

TEST_F(StartIconDragTest, EmptyPictureWritesNothingAndStartsNoDrag) {
  IconDragSource* source = IconDragSource::Create();
  ASSERT_TRUE(source);
  EXPECT_FALSE(StartIconDrag(context_.runDirectory, store_, *source));
  EXPECT_EQ(GetFileAttributesA(context_.inRunDirectory("icon.png").c_str()), INVALID_FILE_ATTRIBUTES);
  source->Release();
}

// icon.png (the name of a picture without a source) taken by a folder: the
// file cannot be written, so nothing is offered to drop targets.
TEST_F(StartIconDragTest, WorkFileThatCannotBeWrittenStartsNoDrag) {
  const std::string workFile = context_.inRunDirectory("icon.png");
  ASSERT_TRUE(CreateDirectoryA(workFile.c_str(), nullptr));
  store_.setPicture(Bytes{0x89, 'P', 'N', 'G'});
  IconDragSource* source = IconDragSource::Create();
  ASSERT_TRUE(source);
  EXPECT_FALSE(StartIconDrag(context_.runDirectory, store_, *source));
  EXPECT_EQ(GetFileAttributesA(workFile.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  source->Release();
  RemoveDirectoryA(workFile.c_str());
}

}  // namespace
