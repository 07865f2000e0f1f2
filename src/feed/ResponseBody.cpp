#include "feed/ResponseBody.h"

#include <string_view>

#include "common/TextConversion.h"
#include "feed/Charset.h"

namespace {

constexpr size_t kHeadBytes = 2047;

}  // namespace

std::wstring ResponseHead(const std::string& body) {
    return MultiByteToText(CP_ACP, std::string_view(body).substr(0, kHeadBytes));
}

std::wstring DecodeResponseBody(const std::string& body, const std::wstring& contentType) {
    CharsetKind kind = DetectXmlEncoding(ResponseHead(body));
    if (kind == CharsetKind::None) kind = DetectCharsetParam(contentType);
    return MultiByteToText(CodePageOf(kind), body);
}
