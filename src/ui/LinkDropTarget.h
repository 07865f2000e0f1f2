#pragma once
// Links dropped on the settings dialog: an OLE drop target that takes a URL (as the shell's
// or a browser's URL format) or the first file of a file list, and hands it to the dialog
// with a private message sent while the drop is under way.
#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <atomic>
#include <string>

// Both sent with wParam and lParam 0; the dialog answers 1. Above WM_APP, so that no dialog
// manager message (DM_SETDEFID is WM_USER + 1) can be taken for a drop.
constexpr UINT MSG_URL_DROPPED = WM_APP + 1;
constexpr UINT MSG_FILE_DROPPED = WM_APP + 2;

// What the last drop delivered, filled just before its message is sent.
extern std::wstring droppedUrl;
extern std::wstring droppedFilePath;

class LinkDropTarget final : public IDropTarget {
public:
    explicit LinkDropTarget(HWND receiver) : receiver_(receiver) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

private:
    ~LinkDropTarget() = default;

    std::atomic<ULONG> references_{1};
    HWND receiver_;
    bool offersLink_ = false;  // the data being dragged has a format this target reads
};

// The drop target of one dialog window, from registration until revoked.
class DropTargetRegistration {
public:
    DropTargetRegistration() = default;
    ~DropTargetRegistration() { revoke(); }
    DropTargetRegistration(const DropTargetRegistration&) = delete;
    DropTargetRegistration& operator=(const DropTargetRegistration&) = delete;

    // False when OLE refused, for instance on a thread where OLE is not initialised.
    bool registerFor(HWND window);
    // Must run while the window still exists.
    void revoke();

private:
    HWND window_ = nullptr;
    Microsoft::WRL::ComPtr<LinkDropTarget> target_;
};
