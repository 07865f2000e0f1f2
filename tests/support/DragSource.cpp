#include "support/DragSource.h"

#include <ole2.h>
#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "support/DialogDriver.h"

namespace {

template <typename Interface>
class RefCounted : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == __uuidof(Interface)) {
            *object = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~RefCounted() = default;

private:
    std::atomic<ULONG> references_{1};
};

HGLOBAL globalCopy(const void* bytes, size_t size) {
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block) return nullptr;
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    return block;
}

// A DROPFILES header and the names, each ended by a NUL, the list by an empty name.
std::vector<char> fileList(const std::vector<std::wstring>& files) {
    std::wstring names;
    for (const std::wstring& file : files) names += file + L'\0';
    names += L'\0';
    std::vector<char> block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof header);
    std::memcpy(block.data() + sizeof header, names.data(), names.size() * sizeof(wchar_t));
    return block;
}

class DataObject final : public RefCounted<IDataObject> {
public:
    explicit DataObject(const DragData& data) {
        if (!data.ansiUrl.empty()) add(CFSTR_INETURLA, data.ansiUrl.c_str(), data.ansiUrl.size() + 1);
        if (!data.wideUrl.empty()) {
            add(CFSTR_INETURLW, data.wideUrl.c_str(), (data.wideUrl.size() + 1) * sizeof(wchar_t));
        }
        if (!data.files.empty()) {
            const std::vector<char> list = fileList(data.files);
            formats_.push_back({CF_HDROP, std::string(list.begin(), list.end())});
        }
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
        const Format* format = find(wanted);
        if (!format) return DV_E_FORMATETC;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = globalCopy(format->bytes.data(), format->bytes.size());
        medium->pUnkForRelease = nullptr;
        return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* wanted) override { return find(wanted) ? S_OK : DV_E_FORMATETC; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        std::vector<FORMATETC> offered;
        for (const Format& format : formats_) offered.push_back(formatEtc(format.id));
        return SHCreateStdEnumFmtEtc(static_cast<UINT>(offered.size()), offered.data(), formats);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    struct Format {
        CLIPFORMAT id;
        std::string bytes;
    };

    static FORMATETC formatEtc(CLIPFORMAT id) { return {id, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

    void add(const wchar_t* name, const void* bytes, size_t size) {
        formats_.push_back({static_cast<CLIPFORMAT>(RegisterClipboardFormatW(name)),
                            std::string(static_cast<const char*>(bytes), size)});
    }

    const Format* find(const FORMATETC* wanted) const {
        if (!wanted || !(wanted->tymed & TYMED_HGLOBAL) || wanted->dwAspect != DVASPECT_CONTENT) return nullptr;
        for (const Format& format : formats_) {
            if (format.id == wanted->cfFormat) return &format;
        }
        return nullptr;
    }

    std::vector<Format> formats_;
};

// Drops as soon as the target under the cursor has accepted the data, or after enough rounds
// of the drag loop (about two seconds) that a target refusing it must have been asked.
class DropSource final : public RefCounted<IDropSource> {
public:
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD) override {
        if (escapePressed) return DRAGDROP_S_CANCEL;
        return accepted_ || ++rounds_ >= kMaxRounds ? DRAGDROP_S_DROP : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override {
        if (effect != DROPEFFECT_NONE) accepted_ = true;
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }

private:
    static constexpr int kMaxRounds = 40;
    int rounds_ = 0;
    bool accepted_ = false;
};

}  // namespace

DWORD dragAndDrop(HWND target, const DragData& data) {
    RECT frame = {};
    GetWindowRect(target, &frame);
    const POINT centre = {(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
    // The pointer moves through the X server; OLE looks for the target where it is.
    SetCursorPos(centre.x, centre.y);
    for (int i = 0; i < 100; ++i) {
        POINT at = {};
        if (GetCursorPos(&at) && at.x == centre.x && at.y == centre.y) break;
        Sleep(10);
    }
    IDataObject* dataObject = new DataObject(data);
    IDropSource* source = new DropSource;
    DWORD effect = DROPEFFECT_NONE;
    if (DoDragDrop(dataObject, source, DROPEFFECT_COPY, &effect) != DRAGDROP_S_DROP) effect = DROPEFFECT_NONE;
    source->Release();
    dataObject->Release();
    return effect;
}

std::shared_ptr<DragOutcome> startDrag(DialogDriver& driver, HWND target, const DragData& data) {
    auto outcome = std::make_shared<DragOutcome>();
    driver.onDialogThread([outcome, target, data] {
        outcome->effect = dragAndDrop(target, data);
        SetEvent(outcome->done.get());
    });
    return outcome;
}
