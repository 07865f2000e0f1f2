#pragma once
// Date text of mail and HTTP headers, and base64 for encoded words. Pure functions.
#include <cstddef>
#include <cstdint>
#include <string>

// RFC 822 date of `time` (seconds since 1970 UTC) as seen at `offsetMinutes` east of UTC,
// with that numeric zone: "Thu, 01 Jan 1970 09:00:00 +0900".
std::string formatRfc822Date(int64_t time, int32_t offsetMinutes);

// Standard base64 (RFC 4648 section 4) with padding and no line breaks.
std::string encodeBase64(const void* bytes, size_t count);
