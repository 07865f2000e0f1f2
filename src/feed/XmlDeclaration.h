#pragma once
// The XML declaration of a document that is already UTF-16 text.
#include <string>

// Takes the encoding named in the XML declaration out of `text`, in place: the bytes have
// been decoded by then, and a byte encoding named there would make the DOM refuse or misread
// the text.
void EraseEncodingDeclaration(std::wstring& text);
