#pragma once
// Charset names and aliases, as browsers accept them, to the code pages that decode them
// under Windows and Wine alike. Names with "utf", "euc" or "jis" in them are left to those
// letters, except the Korean and Chinese EUC names, which "euc" would read as Japanese.
// US-ASCII is left out on purpose: read as UTF-8 every ASCII text decodes the same and feeds
// that claim ASCII but carry UTF-8 keep reading right, where code page 20127 would strip the
// high bit off every byte above 0x7F.
#include "feed/Charset.h"

struct CharsetName {
    std::string_view name;  // lower case
    Charset charset;
};

// The Windows code pages; Latin-1 (ISO-8859-1), Latin-5 (ISO-8859-9) and Thai (TIS-620)
// are read with them too, as browsers read them: the bytes 0x80 to 0x9F, control characters
// in the ISO sets, stand for curly quotes, dashes and the euro sign in practice.
inline constexpr Charset kWindows874{874, "windows-874"};
inline constexpr Charset kWindows1250{1250, "windows-1250"};
inline constexpr Charset kWindows1251{1251, "windows-1251"};
inline constexpr Charset kWindows1252{1252, "windows-1252"};
inline constexpr Charset kWindows1253{1253, "windows-1253"};
inline constexpr Charset kWindows1254{1254, "windows-1254"};
inline constexpr Charset kWindows1255{1255, "windows-1255"};
inline constexpr Charset kWindows1256{1256, "windows-1256"};
inline constexpr Charset kWindows1257{1257, "windows-1257"};
inline constexpr Charset kWindows1258{1258, "windows-1258"};
inline constexpr Charset kIso8859_2{28592, "ISO-8859-2"};
inline constexpr Charset kIso8859_3{28593, "ISO-8859-3"};
inline constexpr Charset kIso8859_4{28594, "ISO-8859-4"};
inline constexpr Charset kIso8859_5{28595, "ISO-8859-5"};
inline constexpr Charset kIso8859_6{28596, "ISO-8859-6"};
inline constexpr Charset kIso8859_7{28597, "ISO-8859-7"};
inline constexpr Charset kIso8859_8{28598, "ISO-8859-8"};
// The same letters as ISO-8859-8 in logical order; the label keeps mail readers from
// showing them reversed. Wine has no 38598.
inline constexpr Charset kIso8859_8I{28598, "ISO-8859-8-I"};
inline constexpr Charset kIso8859_13{28603, "ISO-8859-13"};
inline constexpr Charset kIso8859_15{28605, "ISO-8859-15"};
inline constexpr Charset kKoi8R{20866, "KOI8-R"};
inline constexpr Charset kKoi8U{21866, "KOI8-U"};
inline constexpr Charset kIbm866{866, "IBM866"};
inline constexpr Charset kMacintosh{10000, "macintosh"};
inline constexpr Charset kMacCyrillic{10007, "x-mac-cyrillic"};
// 936 is GBK, which holds GB2312 and EUC-CN.
inline constexpr Charset kGbk{936, "GBK"};
// Wine has no 54936; 936 reads GB18030's one- and two-byte characters, all but the rarest.
inline constexpr Charset kGb18030{936, "GB18030"};
// Windows has no HKSCS code page; 950 reads its Big5 part.
inline constexpr Charset kBig5{950, "Big5"};
// 949 is EUC-KR with the extra Hangul of Windows; Wine has no 51949.
inline constexpr Charset kEucKr{949, "EUC-KR"};

inline constexpr CharsetName kCharsetNames[] = {
    {"gbk", kGbk}, {"x-gbk", kGbk}, {"gb2312", kGbk}, {"gb_2312", kGbk}, {"gb_2312-80", kGbk},
    {"csgb2312", kGbk}, {"csiso58gb231280", kGbk}, {"iso-ir-58", kGbk}, {"chinese", kGbk},
    {"cp936", kGbk}, {"ms936", kGbk}, {"windows-936", kGbk}, {"euc-cn", kGbk}, {"x-euc-cn", kGbk},
    {"gb18030", kGb18030},
    {"big5", kBig5}, {"big5-hkscs", kBig5}, {"cn-big5", kBig5}, {"csbig5", kBig5}, {"x-x-big5", kBig5},
    {"cp950", kBig5},
    {"euc-kr", kEucKr}, {"cseuckr", kEucKr}, {"ks_c_5601-1987", kEucKr}, {"ks_c_5601-1989", kEucKr},
    {"ksc5601", kEucKr}, {"ksc_5601", kEucKr}, {"csksc56011987", kEucKr}, {"iso-ir-149", kEucKr},
    {"korean", kEucKr}, {"windows-949", kEucKr}, {"cp949", kEucKr},
    {"ms932", kShiftJis}, {"ms_kanji", kShiftJis}, {"windows-31j", kShiftJis},
    {"iso-8859-1", kWindows1252}, {"iso8859-1", kWindows1252}, {"iso88591", kWindows1252},
    {"iso_8859-1", kWindows1252}, {"iso_8859-1:1987", kWindows1252}, {"iso-ir-100", kWindows1252},
    {"csisolatin1", kWindows1252}, {"latin1", kWindows1252}, {"l1", kWindows1252}, {"cp819", kWindows1252},
    {"ibm819", kWindows1252}, {"windows-1252", kWindows1252}, {"cp1252", kWindows1252},
    {"x-cp1252", kWindows1252},
    {"iso-8859-2", kIso8859_2}, {"iso8859-2", kIso8859_2}, {"iso88592", kIso8859_2}, {"iso_8859-2", kIso8859_2},
    {"iso_8859-2:1987", kIso8859_2}, {"iso-ir-101", kIso8859_2}, {"csisolatin2", kIso8859_2},
    {"latin2", kIso8859_2}, {"l2", kIso8859_2},
    {"iso-8859-3", kIso8859_3}, {"iso8859-3", kIso8859_3}, {"iso88593", kIso8859_3}, {"iso_8859-3", kIso8859_3},
    {"iso_8859-3:1988", kIso8859_3}, {"iso-ir-109", kIso8859_3}, {"csisolatin3", kIso8859_3},
    {"latin3", kIso8859_3}, {"l3", kIso8859_3},
    {"iso-8859-4", kIso8859_4}, {"iso8859-4", kIso8859_4}, {"iso88594", kIso8859_4}, {"iso_8859-4", kIso8859_4},
    {"iso_8859-4:1988", kIso8859_4}, {"iso-ir-110", kIso8859_4}, {"csisolatin4", kIso8859_4},
    {"latin4", kIso8859_4}, {"l4", kIso8859_4},
    {"iso-8859-5", kIso8859_5}, {"iso8859-5", kIso8859_5}, {"iso88595", kIso8859_5}, {"iso_8859-5", kIso8859_5},
    {"iso_8859-5:1988", kIso8859_5}, {"iso-ir-144", kIso8859_5}, {"csisolatincyrillic", kIso8859_5},
    {"cyrillic", kIso8859_5},
    {"iso-8859-6", kIso8859_6}, {"iso8859-6", kIso8859_6}, {"iso88596", kIso8859_6}, {"iso_8859-6", kIso8859_6},
    {"iso_8859-6:1987", kIso8859_6}, {"iso-ir-127", kIso8859_6}, {"iso-8859-6-e", kIso8859_6},
    {"iso-8859-6-i", kIso8859_6}, {"csiso88596e", kIso8859_6}, {"csiso88596i", kIso8859_6},
    {"csisolatinarabic", kIso8859_6}, {"ecma-114", kIso8859_6}, {"asmo-708", kIso8859_6}, {"arabic", kIso8859_6},
    {"iso-8859-7", kIso8859_7}, {"iso8859-7", kIso8859_7}, {"iso88597", kIso8859_7}, {"iso_8859-7", kIso8859_7},
    {"iso_8859-7:1987", kIso8859_7}, {"iso-ir-126", kIso8859_7}, {"csisolatingreek", kIso8859_7},
    {"ecma-118", kIso8859_7}, {"elot_928", kIso8859_7}, {"greek", kIso8859_7}, {"greek8", kIso8859_7},
    {"sun_eu_greek", kIso8859_7},
    {"iso-8859-8", kIso8859_8}, {"iso8859-8", kIso8859_8}, {"iso88598", kIso8859_8}, {"iso_8859-8", kIso8859_8},
    {"iso_8859-8:1988", kIso8859_8}, {"iso-ir-138", kIso8859_8}, {"iso-8859-8-e", kIso8859_8},
    {"csiso88598e", kIso8859_8}, {"csisolatinhebrew", kIso8859_8}, {"hebrew", kIso8859_8}, {"visual", kIso8859_8},
    {"iso-8859-8-i", kIso8859_8I}, {"csiso88598i", kIso8859_8I}, {"logical", kIso8859_8I},
    {"iso-8859-9", kWindows1254}, {"iso8859-9", kWindows1254}, {"iso88599", kWindows1254},
    {"iso_8859-9", kWindows1254}, {"iso_8859-9:1989", kWindows1254}, {"iso-ir-148", kWindows1254},
    {"csisolatin5", kWindows1254}, {"latin5", kWindows1254}, {"l5", kWindows1254},
    {"iso-8859-11", kWindows874}, {"iso8859-11", kWindows874}, {"iso885911", kWindows874},
    {"tis-620", kWindows874}, {"windows-874", kWindows874}, {"dos-874", kWindows874}, {"cp874", kWindows874},
    {"iso-8859-13", kIso8859_13}, {"iso8859-13", kIso8859_13}, {"iso885913", kIso8859_13},
    {"iso-8859-15", kIso8859_15}, {"iso8859-15", kIso8859_15}, {"iso885915", kIso8859_15},
    {"iso_8859-15", kIso8859_15}, {"csisolatin9", kIso8859_15}, {"l9", kIso8859_15},
    {"windows-1250", kWindows1250}, {"cp1250", kWindows1250}, {"x-cp1250", kWindows1250},
    {"windows-1251", kWindows1251}, {"cp1251", kWindows1251}, {"x-cp1251", kWindows1251},
    {"windows-1253", kWindows1253}, {"cp1253", kWindows1253}, {"x-cp1253", kWindows1253},
    {"windows-1254", kWindows1254}, {"cp1254", kWindows1254}, {"x-cp1254", kWindows1254},
    {"windows-1255", kWindows1255}, {"cp1255", kWindows1255}, {"x-cp1255", kWindows1255},
    {"windows-1256", kWindows1256}, {"cp1256", kWindows1256}, {"x-cp1256", kWindows1256},
    {"windows-1257", kWindows1257}, {"cp1257", kWindows1257}, {"x-cp1257", kWindows1257},
    {"windows-1258", kWindows1258}, {"cp1258", kWindows1258}, {"x-cp1258", kWindows1258},
    {"koi8-r", kKoi8R}, {"koi8_r", kKoi8R}, {"cskoi8r", kKoi8R}, {"koi8", kKoi8R}, {"koi", kKoi8R},
    {"koi8-u", kKoi8U}, {"koi8-ru", kKoi8U},
    {"ibm866", kIbm866}, {"cp866", kIbm866}, {"866", kIbm866}, {"csibm866", kIbm866},
    {"macintosh", kMacintosh}, {"mac", kMacintosh}, {"x-mac-roman", kMacintosh}, {"csmacintosh", kMacintosh},
    {"x-mac-cyrillic", kMacCyrillic}, {"x-mac-ukrainian", kMacCyrillic},
};
