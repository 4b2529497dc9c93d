#include <gtest/gtest.h>

#include <random>

#include "version/version_compare.h"

namespace launcher {
namespace {

TEST(CompareVersions, DocumentedOrder) {
    struct Row {
        const char* installed;
        const char* required;
        int result;
    };
    const Row rows[] = {
        {"1.2.3", "1.2.3", 0},
        {"1.1.0", "1.0.2", 1},
        {"1.0.2", "1.1.0", -1},
        {"1.10.0", "1.9.0", 1},
        {"2", "1.9.9", 1},
        {"1.0", "1.0.0", 0},
        {"1.0.0.", "1.0.0", 0},
        {"1.2.3.build20070601", "1.2.3", 1},
        {"1.2.3", "1.2.3.build20070601", -1},
        {"1.2.3.beta", "1.2.3", -1},
        {"1.2.3", "1.2.3.beta", 1},
        {"1.2.3.beta", "1.2.3.alpha", -1},
        {"1.2.3.beta", "1.2.3.beta", 0},
        {"1.2.3.Beta", "1.2.3", 1},
        {"1.0.0.20070601", "1.0.0.20070512", 1},
        {"1.0.0.10", "1.0.0.9", -1},
        {"1.0.0.a.b", "1.0.0.a", 1},
        {"1.2.3a", "1.2.3", 0},
        {"1.2.3-7", "1.2.3", 0},
        {"ver1.2.3", "0.2.3", 0},
        {" 1.2.3", "1.2.3", 0},
        {"1.2.3", "", 1},
        {"0.0.0.beta", "", -1},
        {"-1.0.0", "0.0.0", -1},
        {"1..2", "1.0.2", 0},
        {"1.2.3.\xE9", "1.2.3.z", 1},
        {"\t+7", "7.0", 0},
        {"1.2.3.beta1", "1.2.3.beta", 1},
        // Numbers beyond 32 bits saturate: still larger than any 32-bit value.
        {"99999999999.0", "2147483646.9", 1},
        {"99999999999", "2147483647", 0},
        {"-99999999999", "-2147483648", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.installed << " vs " << row.required);
        EXPECT_EQ(compareVersions(row.installed, row.required), row.result);
        EXPECT_EQ(compareVersions(row.required, row.installed), -row.result);
    }
}

TEST(SplitVersion, PartsAndQualifier) {
    const VersionParts parts = splitVersion("1.22.-3.x.y.z");
    EXPECT_EQ(parts.major, 1);
    EXPECT_EQ(parts.minor, 22);
    EXPECT_EQ(parts.micro, -3);
    EXPECT_EQ(parts.qualifier, "x.y.z");
    EXPECT_EQ(splitVersion("4").major, 4);
    EXPECT_EQ(splitVersion("1.2.").micro, 0);
}

// Over many generated versions: antisymmetric, reflexive and transitive.
TEST(CompareVersions, IsATotalOrder) {
    std::mt19937 random(20261206);
    const char* pieces[] = {"0", "1", "2", "10", "", "beta", "Beta", "a", "b", "-1", "9", "99999999999", " 3", "x1"};
    auto generate = [&] {
        std::string version;
        const int parts = static_cast<int>(random() % 6);
        for (int i = 0; i < parts; ++i) version += std::string(i ? "." : "") + pieces[random() % std::size(pieces)];
        return version;
    };
    std::vector<std::string> versions(90);
    for (std::string& version : versions) version = generate();
    for (const std::string& a : versions) {
        ASSERT_EQ(compareVersions(a, a), 0) << a;
        for (const std::string& b : versions) {
            const int ab = compareVersions(a, b);
            ASSERT_EQ(ab, -compareVersions(b, a)) << a << " | " << b;
            for (const std::string& c : versions) {
                if (ab <= 0 && compareVersions(b, c) <= 0) {
                    ASSERT_LE(compareVersions(a, c), 0) << a << " | " << b << " | " << c;
                }
            }
        }
    }
}

}  // namespace
}  // namespace launcher
