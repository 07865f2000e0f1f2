#pragma once
// Response bodies to UTF-16 text by the charset they declare.
#include <string>

#include "feed/Charset.h"

// The first 2047 bytes of a body in the ANSI code page, up to a NUL: enough to find an XML
// declaration or an HTML meta charset, which are ASCII.
std::wstring ResponseHead(const std::string& body);

// The body decoded as its XML declaration says, else as the Content-Type's charset says,
// else as UTF-8; the text ends at the first NUL byte of the body.
std::wstring DecodeResponseBody(const std::string& body, const std::wstring& contentType);

// The charset of a web page: its own meta charset, else the Content-Type's, else UTF-8.
Charset PageCharset(const std::string& body, const std::wstring& contentType);
