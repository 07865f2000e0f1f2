#include "ui/WinHttpProxy.h"

#include <windows.h>
#include <winhttp.h>

#include "common/Handles.h"

bool hasWinHttpProxy() {
    WINHTTP_PROXY_INFO info = {};
    if (!WinHttpGetDefaultProxyConfiguration(&info)) return false;
    const ScopedGlobalText proxy(info.lpszProxy);
    const ScopedGlobalText bypass(info.lpszProxyBypass);
    return info.dwAccessType != WINHTTP_ACCESS_TYPE_NO_PROXY;
}

void applyIeProxyToWinHttp(bool useProxy) {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG browser = {};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&browser)) return;
    const ScopedGlobalText autoConfigUrl(browser.lpszAutoConfigUrl);
    const ScopedGlobalText proxy(browser.lpszProxy);
    const ScopedGlobalText bypass(browser.lpszProxyBypass);
    WINHTTP_PROXY_INFO info = {};
    info.dwAccessType = WINHTTP_ACCESS_TYPE_NO_PROXY;
    if (useProxy) {
        info.dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
        info.lpszProxy = proxy.get();
        info.lpszProxyBypass = bypass.get();
    }
    WinHttpSetDefaultProxyConfiguration(&info);
}

bool isUserAdministrator() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    ScopedSid administrators;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                  0, 0, administrators.put())) {
        return false;
    }
    BOOL member = FALSE;
    return CheckTokenMembership(nullptr, administrators.get(), &member) && member;
}
