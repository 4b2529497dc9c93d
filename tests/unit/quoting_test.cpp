#include <gtest/gtest.h>

#include "commands/quoting.h"

namespace launcher {
namespace {

TEST(Quoting, QuoteArgWrapIfBlankEscapeQuotes) {
    struct Row {
        const char* input;
        const char* quoted;
        const char* wrapped;
        const char* escaped;
    };
    const Row rows[] = {
        {"REBOOT=ReallySuppress", "REBOOT=ReallySuppress", "REBOOT=ReallySuppress", "REBOOT=ReallySuppress"},
        {"A B", "\"A B\"", "\"A B\"", "A B"},
        {"A=B C", "A=\"B C\"", "\"A=B C\"", "A=B C"},
        {"A B=C", "A B=\"C\"", "\"A B=C\"", "A B=C"},
        {"A=B=D E", "A=\"B=\"D E\"", "\"A=B=D E\"", "A=B=D E"},
        {"=x y", "=\"x y\"", "\"=x y\"", "=x y"},
        {"A\tB", "A\tB", "A\tB", "A\tB"},
        {"", "", "", ""},
        {"-vmargs", "-vmargs", "-vmargs", "-vmargs"},
        {"A=\"B C\"", "A=\"\"B C\"\"", "\"A=\"B C\"\"", "A=\\\"B C\\\""},
        {"C:\\dir\\\"", "C:\\dir\\\"", "C:\\dir\\\"", "C:\\dir\\\\\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(quoteArg(row.input), row.quoted);
        EXPECT_EQ(wrapIfBlank(row.input), row.wrapped);
        EXPECT_EQ(escapeQuotes(row.input), row.escaped);
    }
    const std::string longValue(5000, 'v');
    EXPECT_EQ(escapeQuotes("A=\"" + longValue + "\""), "A=\\\"" + longValue + "\\\"");
}

TEST(Quoting, LanguageIdentifiersForLocales) {
    const std::pair<const char*, const char*> rows[] = {
        {"en_US", "1033"}, {"en", "1033"},    {"en_GB", "1033"}, {"de_CH", "1031"}, {"fr_CA", "1036"},
        {"zh_TW", "1028"}, {"zh_CN", "2052"}, {"zh", "2052"},    {"zh_HK", "2052"}, {"pt_BR", "1046"},
        {"pt", "1033"},    {"pt_PT", "1033"}, {"ja_JP", "1041"}, {"cs_CZ", "1029"}, {"DE", "1033"},
        {"EN", "1033"},    {"nl_NL", "1033"}, {"sv", "1033"},    {"tr", "1033"},    {"zh_T", "1028"},
        {"zh_", "2052"},   {"", ""},          {"es_MX", "1034"}, {"it", "1040"},    {"ko_KR", "1042"},
        {"ru_RU", "1049"}, {"pl", "1045"},    {"hu_HU", "1038"}, {"pt_Bx", "1046"}, {"e", "1033"},
    };
    for (const auto& [locale, id] : rows) EXPECT_STREQ(lcidForLocale(locale), id) << locale;
}

}  // namespace
}  // namespace launcher
