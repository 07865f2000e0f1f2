#pragma once
// WinHTTP's machine-wide default proxy, which the plug-in's requests use, and the user's
// browser proxy that can be copied into it.

// True when WinHTTP's default configuration names a proxy (is readable and not no-proxy).
bool hasWinHttpProxy();

// Sets WinHTTP's default configuration to the current user's browser proxy and bypass list,
// or to no proxy. Silent when the browser settings cannot be read.
void applyIeProxyToWinHttp(bool useProxy);

// True when the caller's token has the built-in Administrators group enabled.
bool isUserAdministrator();
