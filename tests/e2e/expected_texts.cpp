#include "expected_texts.h"

#include <windows.h>

#include <cstdlib>

#include "gtest/gtest.h"

namespace e2e {

namespace {

const LanguageTexts kTables[] = {
    {1033, "Cannot open INI file: %s\n", "Usage:",
     "%s [-h] [-input INPUT_FILE] [-silent] [-licenseAccepted] [-installerArgs arg1 arg2...] [-managerArgs arg1 "
     "arg2 ...]",
     "Error", "Quillmark version %s or later cannot be found.",
     "Quillmark version %s or later cannot be found.  Check the product documentation for software prerequisites "
     "to ensure that your system meets the installation requirements."},
    {1031, "INI-Datei %s kann nicht geöffnet werden\n", "Verwendung:",
     "%s [-h] [-input INPUT_FILE] [-silent] [-licenseAccepted] [-installerArgs arg1 arg2...] [-managerArgs arg1 "
     "arg2 ...]",
     "Fehler", "Quillmark Version %s oder höher wurde nicht gefunden.",
     "Quillmark Version %s oder höher wurde nicht gefunden.  Prüfen Sie die Softwarevoraussetzungen in der "
     "Produktdokumentation, um sicherzustellen, dass Ihr System die Installationsanforderungen erfüllt."},
    {1041, "INI ファイルを開くことができません: %s\n", "使用法:",
     "%s [-h] [-input INPUT_FILE] [-silent] [-licenseAccepted] [-installerArgs arg1 arg2...] [-managerArgs arg1 "
     "arg2 ...]",
     "エラー", "Quillmark バージョン %s 以降が見つかりません。",
     "Quillmark バージョン %s 以降が見つかりません。製品資料でソフトウェアの前提条件を参照し、ご使用のシステムが"
     "インストール要件を満たしていることを確認してください。"},
    {1049, "Невозможно открыть файл INI: %s\n", "Формат:",
     "%s [-h] [-input файл-ввода] [-silent] [-licenseAccepted] [-installerArgs арг1 арг2...] [-managerArgs арг1 "
     "арг2 ...]",
     "Ошибка", "Не удается найти Quillmark версии %s или более поздней.",
     "Не удается найти Quillmark версии %s или более поздней.  Ознакомьтесь с требованиями к программному "
     "обеспечению в документации по продукту и убедитесь, что система соответствует требованиям для установки."},
    {1028, "無法開啟 INI 檔：%s\n", "用法：",
     "%s [-h] [-input INPUT_FILE] [-silent] [-licenseAccepted] [-installerArgs arg1 arg2...] [-managerArgs arg1 "
     "arg2 ...]",
     "錯誤", "找不到 Quillmark %s 版或更新版本。",
     "找不到 Quillmark %s 版或更新版本。請參閱產品文件中的軟體必要條件，確定您的系統符合安裝需求。"},
};

// User languages under test, and the table each of them gets. Swedish has
// no table of its own and gets English; Chinese (Hong Kong) gets
// Traditional Chinese.
struct LanguageChoice {
    std::uint16_t user;
    std::uint16_t table;
};
constexpr LanguageChoice kChoices[] = {
    {1033, 1033}, {1031, 1031}, {1041, 1041}, {1049, 1049}, {1053, 1033}, {3076, 1028},
};

const LanguageTexts& table(std::uint16_t id) {
    for (const LanguageTexts& texts : kTables) {
        if (texts.table == id) return texts;
    }
    return kTables[0];
}

}  // namespace

std::uint16_t userLanguage() {
    const std::uint16_t language = GetUserDefaultLangID();
    if (const char* expected = std::getenv("E2E_USER_LANGID")) {
        EXPECT_EQ(language, std::atoi(expected)) << "Wine did not take the user language from LC_ALL";
    }
    return language;
}

const LanguageTexts& textsFor(std::uint16_t language) {
    for (const LanguageChoice& choice : kChoices) {
        if (choice.user == language) return table(choice.table);
    }
    ADD_FAILURE() << "no expected texts for user language " << language;
    return table(1033);
}

const LanguageTexts& englishTexts() { return table(1033); }

std::string fill(const char* format, const std::string& argument) {
    std::string text = format;
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, argument);
    return text;
}

}  // namespace e2e
