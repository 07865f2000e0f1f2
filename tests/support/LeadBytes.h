#pragma once
// Lead-byte rules of the two double-byte code pages the product meets, for portable tests.

inline bool isGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

inline bool isShiftJisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

inline bool isSingleByte(unsigned char) { return false; }
