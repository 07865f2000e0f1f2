#pragma once
// The XML declaration of a document that is already UTF-16 text.
#include <string>
#include <string_view>

// `text` without the encoding named in its XML declaration. The bytes have been decoded
// by then, and a byte encoding named there would make the DOM refuse or misread the text.
std::wstring WithoutEncodingDeclaration(std::wstring_view text);
