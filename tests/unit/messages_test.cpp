#include <gtest/gtest.h>

#include "memory_platform.h"
#include "messages/messages.h"

namespace launcher {
namespace {

using testing::MemoryPlatform;

// The conversions of a printf format, in order ("%%" is none).
std::string conversions(const std::string& format) {
    std::string found;
    for (std::size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] == '%') found += format[++i];
    }
    return found;
}

TEST(MessageTable, EveryLanguageHasEveryMessageWithTheEnglishConversions) {
    const std::vector<std::uint16_t> languages = testing::tableLanguages();
    EXPECT_EQ(languages, (std::vector<std::uint16_t>{1028, 1029, 1031, 1033, 1036, 1038, 1040, 1041, 1042, 1045, 1046,
                                                     1049, 2052, 3082}));
    for (std::uint16_t language : languages) {
        for (int id : {1, 26, 2004, 2005, 2006, 2010, 2011, 2013, 2015, 2016, 2017}) {
            SCOPED_TRACE(::testing::Message() << language << "/" << id);
            const std::string text = testing::tableMessage(language, id);
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(conversions(text), conversions(testing::tableMessage(1033, id)));
            if (id >= 2011) {
                EXPECT_NE(text.find("Quillmark"), std::string::npos);
            }
        }
    }
}

TEST(MessageTable, PortugueseKeepsItsTilde) {
    EXPECT_EQ(testing::tableMessage(1046, kMsgCannotOpenIni), "Não é possível abrir o arquivo INI: %s\n");
}

TEST(LoadMessage, UserLanguageThenSamePrimaryLanguageThenEnglish) {
    struct Row {
        std::uint16_t user;
        std::uint16_t table;
    };
    const Row rows[] = {
        {1031, 1031},   {0x0C07, 1031},                // German (Austria) uses German
        {0x0C04, 1028}, {0x1404, 1028},                // Hong Kong and Macau: Traditional
        {0x1004, 2052}, {0x0004, 2052}, {1028, 1028},  // Singapore and neutral: Simplified
        {0x040A, 3082}, {0x080A, 3082},                // every Spanish variant
        {0x0816, 1046},                                // Portugal uses the Brazilian table
        {1053, 1033},   {0x0409, 1033}, {0, 1033},     // Swedish has no table
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.user);
        MemoryPlatform platform;
        platform.language = row.user;
        EXPECT_EQ(loadMessage(platform, kMsgErrorTitle), testing::tableMessage(row.table, kMsgErrorTitle));
    }
}

TEST(LoadMessage, MissingIdsAndDamagedBlocksGiveEmptyText) {
    MemoryPlatform platform;
    EXPECT_EQ(loadMessage(platform, MessageId{2012}), "");
    EXPECT_EQ(loadMessage(platform, MessageId{3000}), "");
    EXPECT_EQ(loadMessage(platform, MessageId{-5}), "");
    platform.stringBlocks[{126, 1033}] =
        u"\x05"
        u"ab";  // count larger than the block
    EXPECT_EQ(loadMessage(platform, kMsgErrorTitle), "");
}

TEST(LoadMessage, LongMessagesComeWhole) {
    MemoryPlatform platform;
    platform.language = 1049;
    const std::string text = loadMessage(platform, kMsgAgentNotFoundExtension);
    EXPECT_GT(text.size(), 255u);
    EXPECT_EQ(text, testing::tableMessage(1049, kMsgAgentNotFoundExtension));
}

TEST(FormatMessage, OneConversionAndPercentSigns) {
    MemoryPlatform platform;
    EXPECT_EQ(formatMessage(platform, "a %s b\n", "C:\\x"), "a C:\\x b\n");
    EXPECT_EQ(formatMessage(platform, "%s and %s", "1"), "1 and %s");
    EXPECT_EQ(formatMessage(platform, "100%% %s", "%d"), "100% %d");
    EXPECT_EQ(formatMessage(platform, "%s", "D\xE9j\xE0"), "Déjà");  // system code page to UTF-8
    EXPECT_EQ(formatMessage("Return Code=%d", -1), "Return Code=-1");
    EXPECT_EQ(formatMessage("%d%", 232), "232%");
}

TEST(MessageBox, TextAndTitleWholeWithTheirIcon) {
    MemoryPlatform platform;
    const std::string path(600, 'p');
    showMessageBox(platform, "Text " + path, "Titel ö", BoxIcon::Error);
    showMessageBox(platform, "i", "", BoxIcon::Information);
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(platform.boxes[0].text, "Text " + path);
    EXPECT_EQ(platform.boxes[0].title, "Titel ö");
    EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Error);
    EXPECT_EQ(platform.boxes[1].icon, BoxIcon::Information);
}

TEST(Utf, ConversionsRoundTripAndReplaceMalformedInput) {
    const std::string samples[] = {"", "abc", "Błąd", "エラー", "错误", "\xF0\x9F\x98\x80"};
    for (const std::string& sample : samples) EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(sample)), sample);
    EXPECT_EQ(utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(utf8ToUtf16("\xC3"), u"\uFFFD");
    EXPECT_EQ(utf8ToUtf16("\xE3\x81"
                          "a"),
              u"\uFFFDa");
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace launcher
