#pragma once
// Reference resolution of RFC 3986 (section 5.2), for links that feeds write relative to
// their own address or an xml:base.
#include <string>
#include <string_view>

// `reference` made absolute against `base`. A reference with a scheme of its own comes back
// exactly as given (no normalisation), and so does every reference when `base` has no scheme.
std::wstring resolveUrl(std::wstring_view base, std::wstring_view reference);
