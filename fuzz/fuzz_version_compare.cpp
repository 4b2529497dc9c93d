// Version strings as an INI file or installed.xml may hold them. The input
// is three versions separated by NUL bytes; the comparison must be a total
// order over them: reflexive, antisymmetric and transitive.

#include "fuzz_support.h"
#include "version/version_compare.h"

using namespace launcher;

namespace {

void checkParts(std::string_view text) {
    const VersionParts parts = splitVersion(text);
    // The qualifier is the tail of the text itself, after the third dot.
    if (!parts.qualifier.empty()) {
        FUZZ_CHECK(parts.qualifier.data() >= text.data(), text);
        FUZZ_CHECK(parts.qualifier.data() + parts.qualifier.size() == text.data() + text.size(), text);
        FUZZ_CHECK(parts.qualifier.data()[-1] == '.', text);
    }
    FUZZ_CHECK(compareVersions(text, text) == 0, text);
}

const char* orderName(int result) { return result < 0 ? "<" : (result > 0 ? ">" : "="); }

}  // namespace

FUZZ_TARGET(input) {
    const std::vector<std::string_view> pieces = fuzzing::splitAt(input, '\0');
    std::string_view v[3];
    for (std::size_t i = 0; i < 3 && i < pieces.size(); ++i) v[i] = pieces[i];

    int order[3][3];
    for (int i = 0; i < 3; ++i) {
        checkParts(v[i]);
        for (int j = 0; j < 3; ++j) {
            order[i][j] = compareVersions(v[i], v[j]);
            FUZZ_CHECK(order[i][j] >= -1 && order[i][j] <= 1, v[i], v[j]);
        }
    }
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            FUZZ_CHECK(order[i][j] == -order[j][i], v[i], v[j], orderName(order[i][j]), orderName(order[j][i]));
            for (int k = 0; k < 3; ++k) {
                // a <= b and b <= c give a <= c, strictly when either step is strict.
                if (order[i][j] <= 0 && order[j][k] <= 0) {
                    FUZZ_CHECK(order[i][k] <= 0, v[i], v[j], v[k]);
                    if (order[i][j] < 0 || order[j][k] < 0) FUZZ_CHECK(order[i][k] < 0, v[i], v[j], v[k]);
                }
            }
        }
    }
    // Numbers are read the way the comparison reads them: one sign, digits,
    // clamped to 32 bits.
    const std::int32_t number = parseVersionNumber(v[0]);
    if (number != 0) FUZZ_CHECK(v[0].find_first_of("0123456789") != std::string_view::npos, v[0]);
}
