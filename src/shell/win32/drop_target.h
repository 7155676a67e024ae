#pragma once
// The window's OLE drop target: files dropped on the rectangle of
// lblFichiers. It never lets a drop move the file (the source would then
// delete it): it chooses copy, or else link, and refuses the rest.

#include "shell/win32/windows_api.h"

#include <ole2.h>
#undef Yield

#include <string>
#include <vector>

namespace tessaline::win32 {

class DropClient {
 public:
  virtual ~DropClient() = default;
  // Whether a drop at this point of the client area would be taken now.
  virtual bool AcceptsDropAt(POINT client_point) = 0;
  // The dropped files as UTF-8 paths, in drop order (none for a drop that
  // carries no file).
  virtual void FilesDropped(std::vector<std::string> paths) = 0;
};

class DropTarget final : public IDropTarget {
 public:
  explicit DropTarget(DropClient& client) : client_(client) {}
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
  // The effect to report at screen point `at`, from those the source allows.
  DWORD Choose(POINTL at, DWORD allowed);

  HWND window_ = nullptr;
  DropClient& client_;
  LONG references_ = 1;
};

}  // namespace tessaline::win32
