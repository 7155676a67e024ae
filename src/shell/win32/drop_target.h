#pragma once
// The window's OLE drop target. It hands the drag's position and the
// effects its source allows to the window's core, which chooses the effect
// (copy, or else link, over lblFichiers only) and takes the files.

#include "shell/win32/windows_api.h"

#include <ole2.h>
#undef Yield

#include <string>
#include <vector>

#include "shell/logic/navy_core.h"

namespace tessaline::win32 {

class DropTarget final : public IDropTarget {
 public:
  explicit DropTarget(NavyCore& core) : core_(core) {}
  // The window whose client area the drop points are measured in.
  void SetWindow(HWND window) { window_ = window; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;

  // The paths of a CF_HDROP list, UTF-16 to UTF-8.
  static std::vector<std::string> FilesOf(IDataObject* data);

 private:
  PixelPoint ClientPoint(POINTL at) const;

  HWND window_ = nullptr;
  NavyCore& core_;
  LONG references_ = 1;
};

}  // namespace tessaline::win32
