#include "common/UrlResolution.h"

#include <optional>

namespace {

bool isAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool isSchemeCharacter(wchar_t c) {
    return isAsciiLetter(c) || (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.';
}

// The five parts of a URI reference; a part that is absent differs from an empty one.
struct UrlParts {
    std::optional<std::wstring_view> scheme;
    std::optional<std::wstring_view> authority;
    std::wstring_view path;
    std::optional<std::wstring_view> query;
    std::optional<std::wstring_view> fragment;
};

// The scheme only by its strict syntax, a letter first, so that "a b:c" is a relative path.
std::optional<std::wstring_view> schemeOf(std::wstring_view text) {
    const size_t colon = text.find(L':');
    if (colon == 0 || colon == std::wstring_view::npos || !isAsciiLetter(text[0])) return std::nullopt;
    for (size_t i = 1; i < colon; ++i) {
        if (!isSchemeCharacter(text[i])) return std::nullopt;
    }
    return text.substr(0, colon);
}

UrlParts splitUrl(std::wstring_view text) {
    UrlParts parts;
    if (const size_t hash = text.find(L'#'); hash != std::wstring_view::npos) {
        parts.fragment = text.substr(hash + 1);
        text = text.substr(0, hash);
    }
    if (const size_t question = text.find(L'?'); question != std::wstring_view::npos) {
        parts.query = text.substr(question + 1);
        text = text.substr(0, question);
    }
    parts.scheme = schemeOf(text);
    if (parts.scheme) text.remove_prefix(parts.scheme->size() + 1);
    if (text.substr(0, 2) == L"//") {
        const size_t end = text.find(L'/', 2);
        parts.authority = text.substr(2, end == std::wstring_view::npos ? std::wstring_view::npos : end - 2);
        text.remove_prefix(2 + parts.authority->size());
    }
    parts.path = text;
    return parts;
}

// "." and ".." segments taken out of a path (section 5.2.4).
std::wstring removeDotSegments(std::wstring_view input) {
    std::wstring output;
    while (!input.empty()) {
        if (input.substr(0, 3) == L"../") {
            input.remove_prefix(3);
        } else if (input.substr(0, 2) == L"./") {
            input.remove_prefix(2);
        } else if (input.substr(0, 3) == L"/./") {
            input.remove_prefix(2);
        } else if (input == L"/.") {
            input = L"/";
        } else if (input.substr(0, 4) == L"/../" || input == L"/..") {
            input = input.size() == 3 ? std::wstring_view(L"/") : input.substr(3);
            const size_t lastSlash = output.rfind(L'/');
            output.erase(lastSlash == std::wstring::npos ? 0 : lastSlash);
        } else if (input == L"." || input == L"..") {
            input = {};
        } else {
            const size_t segmentEnd = input.find(L'/', 1);
            const size_t length = segmentEnd == std::wstring_view::npos ? input.size() : segmentEnd;
            output.append(input.substr(0, length));
            input.remove_prefix(length);
        }
    }
    return output;
}

// A relative path put after the base path's last "/" (section 5.2.3).
std::wstring mergePaths(const UrlParts& base, std::wstring_view relativePath) {
    if (base.authority && base.path.empty()) return L"/" + std::wstring(relativePath);
    const size_t lastSlash = base.path.rfind(L'/');
    const std::wstring_view directory =
        lastSlash == std::wstring_view::npos ? std::wstring_view() : base.path.substr(0, lastSlash + 1);
    return std::wstring(directory) + std::wstring(relativePath);
}

}  // namespace

std::wstring resolveUrl(std::wstring_view base, std::wstring_view reference) {
    const UrlParts relative = splitUrl(reference);
    const UrlParts absolute = splitUrl(base);
    if (relative.scheme || !absolute.scheme) return std::wstring(reference);

    std::optional<std::wstring_view> authority = absolute.authority;
    std::optional<std::wstring_view> query = relative.query;
    std::wstring path;
    if (relative.authority) {
        authority = relative.authority;
        path = removeDotSegments(relative.path);
    } else if (relative.path.empty()) {
        path = absolute.path;
        if (!query) query = absolute.query;
    } else if (relative.path.front() == L'/') {
        path = removeDotSegments(relative.path);
    } else {
        path = removeDotSegments(mergePaths(absolute, relative.path));
    }

    std::wstring result(*absolute.scheme);
    result += L':';
    if (authority) {
        result += L"//";
        result += *authority;
    }
    result += path;
    if (query) {
        result += L'?';
        result += *query;
    }
    if (relative.fragment) {
        result += L'#';
        result += *relative.fragment;
    }
    return result;
}
