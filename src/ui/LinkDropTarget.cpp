#include "ui/LinkDropTarget.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "common/RunState.h"
#include "common/TextConversion.h"
#include "ui/DroppedFiles.h"

std::wstring droppedUrl;
std::wstring droppedFilePath;

namespace {

// A data object's medium, released with it.
class StorageMedium {
public:
    StorageMedium() = default;
    ~StorageMedium() {
        if (filled_) ReleaseStgMedium(&medium_);
    }
    StorageMedium(const StorageMedium&) = delete;
    StorageMedium& operator=(const StorageMedium&) = delete;

    bool getFrom(IDataObject* data, CLIPFORMAT format) {
        FORMATETC wanted = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        filled_ = SUCCEEDED(data->GetData(&wanted, &medium_));
        return filled_ && medium_.tymed == TYMED_HGLOBAL;
    }
    // The medium's bytes, as many as the block holds.
    std::string bytes() const {
        const auto* start = static_cast<const char*>(GlobalLock(medium_.hGlobal));
        if (!start) return {};
        std::string copy(start, GlobalSize(medium_.hGlobal));
        GlobalUnlock(medium_.hGlobal);
        return copy;
    }

private:
    STGMEDIUM medium_ = {};
    bool filled_ = false;
};

CLIPFORMAT registeredFormat(const wchar_t* name) { return static_cast<CLIPFORMAT>(RegisterClipboardFormatW(name)); }

CLIPFORMAT wideUrlFormat() {
    static const CLIPFORMAT format = registeredFormat(CFSTR_INETURLW);
    return format;
}
CLIPFORMAT ansiUrlFormat() {
    static const CLIPFORMAT format = registeredFormat(CFSTR_INETURLA);
    return format;
}

bool offers(IDataObject* data, CLIPFORMAT format) {
    FORMATETC wanted = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return data->QueryGetData(&wanted) == S_OK;
}

bool offersLink(IDataObject* data) {
    return offers(data, wideUrlFormat()) || offers(data, ansiUrlFormat()) || offers(data, CF_HDROP);
}

// The text before the first NUL; a block without one is taken whole.
std::wstring wideText(const std::string& bytes) {
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

std::wstring ansiText(const std::string& bytes) { return fromAnsi(bytes.substr(0, bytes.find('\0'))); }

// The URL the data carries, in the exact form the browser offers when it offers one.
bool takeUrl(IDataObject* data, std::wstring& url) {
    StorageMedium wide;
    if (wide.getFrom(data, wideUrlFormat())) {
        url = wideText(wide.bytes());
        return true;
    }
    StorageMedium ansi;
    if (ansi.getFrom(data, ansiUrlFormat())) {
        url = ansiText(ansi.bytes());
        return true;
    }
    return false;
}

bool takeFirstFile(IDataObject* data, std::wstring& path) {
    StorageMedium files;
    if (!files.getFrom(data, CF_HDROP)) return false;
    const auto first = firstDroppedFileName(files.bytes());
    if (!first) return false;
    path = first->wide ? std::wstring(first->utf16.begin(), first->utf16.end()) : fromAnsi(first->ansi);
    return true;
}

}  // namespace

HRESULT LinkDropTarget::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG LinkDropTarget::AddRef() { return ++references_; }

ULONG LinkDropTarget::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT LinkDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    droppedUrl.clear();
    droppedFilePath.clear();
    offersLink_ = data && offersLink(data);
    return DragOver(0, {}, effect);
}

// The effect follows `ready` while the drag lasts: a run or a sub-dialog may begin or end.
HRESULT LinkDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = offersLink_ && runState.ready ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT LinkDropTarget::DragLeave() { return S_OK; }

HRESULT LinkDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    if (!runState.ready || !data) {
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    if (takeUrl(data, droppedUrl)) {
        SendMessageW(receiver_, MSG_URL_DROPPED, 0, 0);
    } else if (takeFirstFile(data, droppedFilePath)) {
        SendMessageW(receiver_, MSG_FILE_DROPPED, 0, 0);
    }
    return S_OK;
}

bool DropTargetRegistration::registerFor(HWND window) {
    revoke();
    Microsoft::WRL::ComPtr<LinkDropTarget> target;
    target.Attach(new LinkDropTarget(window));
    if (FAILED(RegisterDragDrop(window, target.Get()))) return false;
    window_ = window;
    target_ = std::move(target);
    return true;
}

void DropTargetRegistration::revoke() {
    if (!window_) return;
    RevokeDragDrop(window_);
    window_ = nullptr;
    target_.Reset();
}
