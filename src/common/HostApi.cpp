#include "common/HostApi.h"

#include <cstddef>

HostApi hostApi;

namespace {

template <typename Slot>
void store(Slot& slot, FARPROC address) {
    slot = reinterpret_cast<Slot>(reinterpret_cast<void*>(address));
}

struct RequiredFunction {
    const char* name;
    void (*bind)(FARPROC address);
};

#define HOST_SLOT(slot) {"MVA_" #slot, [](FARPROC address) { store(hostApi.slot, address); }}

// Every function except MVA_SetStatus and MVA_NextUnread, in look-up order.
const RequiredFunction requiredFunctions[] = {
    HOST_SLOT(GetVersion), HOST_SLOT(Command), HOST_SLOT(GetWindowHandles),
    HOST_SLOT(RegisterCommand), HOST_SLOT(RegisterUICallback), HOST_SLOT(GetDataFolder),
    HOST_SLOT(GetTempFolder), HOST_SLOT(GetTempFileName), HOST_SLOT(GetCurrentMailBox),
    HOST_SLOT(SetCurrentMailBox), HOST_SLOT(GetCurrentFolder), HOST_SLOT(SetCurrentFolder),
    HOST_SLOT(GetFolderDisplayName), HOST_SLOT(SetMessageText), HOST_SLOT(GetCurrentMail),
    HOST_SLOT(SetCurrentMail), HOST_SLOT(GetNextMail), HOST_SLOT(SetSel),
    HOST_SLOT(AppendMessage), HOST_SLOT(MoveSelectedMessages), HOST_SLOT(GetStatus),
    HOST_SLOT(ComposeMail), HOST_SLOT(GetCharSet), HOST_SLOT(GetSource), HOST_SLOT(SetSource),
    HOST_SLOT(GetHeader), HOST_SLOT(GetText), HOST_SLOT(SetText), HOST_SLOT(GetSpecifiedHeader),
    HOST_SLOT(SetSpecifiedHeader), HOST_SLOT(CompGetCharSet), HOST_SLOT(CompGetSource),
    HOST_SLOT(CompSetSource), HOST_SLOT(CompGetHeader), HOST_SLOT(CompGetSpecifiedHeader),
    HOST_SLOT(CompSetSpecifiedHeader), HOST_SLOT(CompGetText), HOST_SLOT(CompSetText),
    HOST_SLOT(CompAttachFile), HOST_SLOT(Alloc), HOST_SLOT(ReAlloc), HOST_SLOT(Free),
    HOST_SLOT(ISO_2022_JP), HOST_SLOT(ISO_2022_KR), HOST_SLOT(HZ_GB2312), HOST_SLOT(ISO_8859_2),
    HOST_SLOT(EUC_JP), HOST_SLOT(UTF_7), HOST_SLOT(UTF_8), HOST_SLOT(B64Convert),
    HOST_SLOT(QPConvert), HOST_SLOT(MIMEHeader), HOST_SLOT(SerializeRcpts), HOST_SLOT(Connect),
};

#undef HOST_SLOT

// Hosts before this version have no MVA_SetStatus.
constexpr char kFirstVersionWithSetStatus[] = "2.00.06";
constexpr int kMaxOldVersionLength = 7;

bool bindRequiredFunctions(HMODULE module) {
    for (const RequiredFunction& function : requiredFunctions) {
        FARPROC address = GetProcAddress(module, function.name);
        if (!address) return false;
        function.bind(address);
    }
    return true;
}

bool hostPredatesSetStatus() {
    LPCSTR version = hostApi.GetVersion();
    if (!version) return false;
    return lstrlenA(version) <= kMaxOldVersionLength &&
           lstrcmpA(version, kFirstVersionWithSetStatus) < 0;
}

}  // namespace

bool bindHostApi() {
    if (hostApi.module) return true;
    HMODULE module = GetModuleHandleA(nullptr);
    if (!module) return false;

    bool bound = bindRequiredFunctions(module);
    if (bound) {
        store(hostApi.SetStatus, GetProcAddress(module, "MVA_SetStatus"));
        store(hostApi.NextUnread, GetProcAddress(module, "MVA_NextUnread"));
        bound = hostPredatesSetStatus() || hostApi.SetStatus != nullptr;
    }
    hostApi.module = bound ? module : nullptr;
    return bound;
}

HWND hostMainWindow() {
    HWND windows[4] = {};
    hostApi.GetWindowHandles(&windows[0], &windows[1], &windows[2], &windows[3]);
    return windows[0];
}
