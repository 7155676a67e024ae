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

namespace {

int Offered(DWORD allowed) {
  int offered = 0;
  if (allowed & DROPEFFECT_COPY) offered |= kDropCopy;
  if (allowed & DROPEFFECT_MOVE) offered |= kDropMove;
  if (allowed & DROPEFFECT_LINK) offered |= kDropLink;
  return offered;
}

DWORD EffectOf(DropEffect effect) {
  return effect == DropEffect::Copy   ? DROPEFFECT_COPY
         : effect == DropEffect::Link ? DROPEFFECT_LINK
                                      : DROPEFFECT_NONE;
}

}  // namespace

PixelPoint DropTarget::ClientPoint(POINTL at) const {
  POINT point{at.x, at.y};
  ScreenToClient(window_, &point);
  return {point.x, point.y};
}

HRESULT STDMETHODCALLTYPE DropTarget::DragEnter(IDataObject*, DWORD, POINTL at, DWORD* effect) {
  *effect = EffectOf(core_.DragOver(ClientPoint(at), Offered(*effect)));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragOver(DWORD, POINTL at, DWORD* effect) {
  *effect = EffectOf(core_.DragOver(ClientPoint(at), Offered(*effect)));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragLeave() { return S_OK; }

HRESULT STDMETHODCALLTYPE DropTarget::Drop(IDataObject* data, DWORD, POINTL at, DWORD* effect) {
  const PixelPoint point = ClientPoint(at);
  const int offered = Offered(*effect);
  *effect = EffectOf(core_.DragOver(point, offered));
  if (*effect != DROPEFFECT_NONE) *effect = EffectOf(core_.FilesDropped(point, offered, FilesOf(data)));
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
