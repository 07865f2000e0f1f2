#include "feed/ResponseBody.h"

#include <optional>
#include <string_view>

#include "common/TextConversion.h"

namespace {

constexpr size_t kHeadBytes = 2047;

}  // namespace

std::wstring ResponseHead(const std::string& body) {
    return MultiByteToText(CP_ACP, std::string_view(body).substr(0, kHeadBytes));
}

std::wstring DecodeResponseBody(const std::string& body, const std::wstring& contentType) {
    std::optional<Charset> charset = DetectXmlEncoding(ResponseHead(body));
    if (!charset) charset = DetectCharsetParam(contentType);
    return MultiByteToText(charset.value_or(kUtf8).codePage, body);
}

Charset PageCharset(const std::string& body, const std::wstring& contentType) {
    std::optional<Charset> charset = DetectCharsetParam(ResponseHead(body));
    if (!charset) charset = DetectCharsetParam(contentType);
    return charset.value_or(kUtf8);
}
