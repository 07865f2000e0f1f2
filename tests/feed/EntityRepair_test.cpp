#include "feed/EntityRepair.h"

#include <gtest/gtest.h>

namespace {

TEST(EntityRepair, ReferencesXmlLacksAreRepaired) {
    const std::wstring subset = L"<!DOCTYPE r [<!ENTITY own \"a &#38; b\"> <!-- ] --> <?pi ]?>]>";
    const struct {
        const char* name;
        std::wstring text, expected;
    } cases[] = {
        {"nbsp", L"<t>a&nbsp;b</t>", L"<t>a&#160;b</t>"},
        {"in an attribute value", L"<a title=\"caf&eacute;\"/>", L"<a title=\"caf&#233;\"/>"},
        {"copy", L"&copy; 2024", L"&#169; 2024"},
        {"two code points", L"&NotEqualTilde;", L"&#8770;&#824;"},
        {"beyond the basic plane", L"&Afr;", L"&#120068;"},
        {"names are case-sensitive", L"&AMP;&Eacute;&eacute;", L"&#38;&#201;&#233;"},
        {"bare", L"a & b", L"a &amp; b"},
        {"doubled", L"&&", L"&amp;&amp;"},
        {"at the end", L"a&", L"a&amp;"},
        {"query in a link", L"<link>http://x/?a=1&b=2</link>", L"<link>http://x/?a=1&amp;b=2</link>"},
        {"HTML's form without semicolon", L"&copy 2024", L"&amp;copy 2024"},
        {"unknown name", L"&bogus;", L"&amp;bogus;"},
        {"name beyond ASCII", L"&caf\u00e9;", L"&amp;caf\u00e9;"},
        {"malformed numeric", L"&#;&#x;&#X26;&#12a;", L"&amp;#;&amp;#x;&amp;#X26;&amp;#12a;"},
        {"numeric kept", L"&#38;&#x26;&#xAb;", L"&#38;&#x26;&#xAb;"},
        {"XML's five kept", L"&amp;&lt;&gt;&quot;&apos;", L"&amp;&lt;&gt;&quot;&apos;"},
        {"CDATA untouched", L"<![CDATA[&nbsp; & ]]>&nbsp;", L"<![CDATA[&nbsp; & ]]>&#160;"},
        {"comment untouched", L"<!-- &nbsp; & -->&", L"<!-- &nbsp; & -->&amp;"},
        {"processing instruction untouched", L"<?php echo \"&\"; ?>&", L"<?php echo \"&\"; ?>&amp;"},
        {"unclosed CDATA", L"<![CDATA[ & ", L"<![CDATA[ & "},
        {"internal subset keeps unknown names", subset + L"<r>&own; &nbsp; & &#38;</r>",
         subset + L"<r>&own; &#160; &amp; &#38;</r>"},
        {"external DTD only", L"<!DOCTYPE rss SYSTEM \"http://x/a?b&c\"><rss>&own;</rss>",
         L"<!DOCTYPE rss SYSTEM \"http://x/a?b&c\"><rss>&amp;own;</rss>"},
        {"nothing to do", L"<rss a=\"1\">text</rss>", L"<rss a=\"1\">text</rss>"},
    };
    for (const auto& c : cases) {
        const std::optional<std::wstring> repaired = RepairEntityReferences(c.text);
        EXPECT_EQ(repaired.has_value(), c.expected != c.text) << c.name;
        EXPECT_EQ(repaired.value_or(c.text), c.expected) << c.name;
    }
}

TEST(EntityRepair, NoRepairLongerThanTheLimit) {
    EXPECT_EQ(RepairEntityReferences(L"a & b", 9), L"a &amp; b");
    EXPECT_EQ(RepairEntityReferences(L"a & b", 8), std::nullopt);
}

}  // namespace
