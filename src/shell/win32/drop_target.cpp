#include "shell/win32/drop_target.h"

#include <shellapi.h>

#include "platform/wide_text_win.h"

namespace tessaline::win32 {

HRESULT STDMETHODCALLTYPE DropTarget::QueryInterface(REFIID id, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DropTarget::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

// The window owns the object; the count only keeps OLE's calls balanced.
ULONG STDMETHODCALLTYPE DropTarget::Release() { return static_cast<ULONG>(InterlockedDecrement(&references_)); }

DWORD DropTarget::Choose(POINTL at, DWORD allowed) {
  POINT point{at.x, at.y};
  ScreenToClient(window_, &point);
  if (!client_.AcceptsDropAt(point)) return DROPEFFECT_NONE;
  if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
  if (allowed & DROPEFFECT_LINK) return DROPEFFECT_LINK;
  return DROPEFFECT_NONE;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragEnter(IDataObject*, DWORD, POINTL at, DWORD* effect) {
  *effect = Choose(at, *effect);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragOver(DWORD, POINTL at, DWORD* effect) {
  *effect = Choose(at, *effect);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragLeave() { return S_OK; }

HRESULT STDMETHODCALLTYPE DropTarget::Drop(IDataObject* data, DWORD, POINTL at, DWORD* effect) {
  *effect = Choose(at, *effect);
  if (*effect != DROPEFFECT_NONE) client_.FilesDropped(FilesOf(data));
  return S_OK;
}

std::vector<std::string> DropTarget::FilesOf(IDataObject* data) {
  std::vector<std::string> paths;
  if (data == nullptr) return paths;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return paths;
  auto* list = static_cast<HDROP>(GlobalLock(medium.hGlobal));
  if (list != nullptr) {
    const UINT count = DragQueryFileW(list, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      const UINT length = DragQueryFileW(list, i, nullptr, 0);
      std::wstring path(length + 1, L'\0');
      DragQueryFileW(list, i, path.data(), length + 1);
      path.resize(length);
      paths.push_back(platform::Narrow(path));
    }
    GlobalUnlock(medium.hGlobal);
  }
  ReleaseStgMedium(&medium);
  return paths;
}

}  // namespace tessaline::win32
