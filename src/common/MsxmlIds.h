#pragma once
// Class and interface identifiers of MSXML 3, which mingw's headers declare without
// defining (and without the __uuidof glue that IID_PPV_ARGS needs).
#include <windows.h>

#include <msxml2.h>

__CRT_UUID_DECL(IServerXMLHTTPRequest, 0x2e9196bf, 0x13ba, 0x4dd4, 0x91, 0xca, 0x6c, 0x57, 0x1f, 0x28, 0x14, 0x95)
__CRT_UUID_DECL(IXMLDOMDocument2, 0x2933bf95, 0x7b36, 0x11d2, 0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60)

// The server-side HTTP request object.
constexpr CLSID kServerXmlHttp30Class = {0xafba6b42, 0x5692, 0x48ea, {0x81, 0x41, 0xdc, 0x51, 0x7d, 0xcf, 0x0e, 0xf1}};
// The DOM document.
constexpr CLSID kDomDocument30Class = {0xf6d90f11, 0x9c73, 0x11d3, {0xb3, 0x2e, 0x00, 0xc0, 0x4f, 0x99, 0x0b, 0xb4}};

// In-process server, in-process handler or local server.
constexpr DWORD kMsxmlClassContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
