#include "check/line_rules.h"

#include <algorithm>
#include <cctype>

#include "check/ini_lint.h"
#include "commands/quoting.h"
#include "config/text_rules.h"
#include "platform/text_file.h"
#include "version/version_compare.h"

namespace launcher::check {

namespace {

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

const IniKey* findKeyIgnoringCase(IniSection section, std::string_view name) {
    for (const IniKey& key : iniKeys()) {
        if (key.section == section && equalsAsciiIgnoringCase(key.name, name)) return &key;
    }
    return nullptr;
}

// The sections, other than except, that have a key of this name in any case.
std::vector<std::string> sectionsWithKey(std::string_view name, IniSection except) {
    std::vector<std::string> labels;
    for (IniSection section : iniSections()) {
        if (section != except && findKeyIgnoringCase(section, name) != nullptr) labels.push_back(sectionLabel(section));
    }
    return labels;
}

std::vector<std::string> keyNames(IniSection section) {
    std::vector<std::string> names;
    for (const IniKey& key : iniKeys()) {
        if (key.section == section) names.push_back(key.name);
    }
    return names;
}

std::string keysOf(IniSection section) { return joined(keyNames(section), " and "); }

bool isBlankOrTab(char c) { return c == ' ' || c == '\t'; }

bool isPlainNumber(std::string_view part) {
    if (part.empty() || part.size() > 10 || part.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    return part.size() < 10 || part <= "2147483647";
}

// The first run of digits of a version part, as a person most likely meant it.
std::string digitsOf(std::string_view part) {
    const std::size_t start = part.find_first_of("0123456789");
    if (start == std::string_view::npos) return "0";
    const std::size_t end = part.find_first_not_of("0123456789", start);
    return std::string(part.substr(start, end == std::string_view::npos ? end : end - start));
}

// Edits that turn a into b (insert, delete, replace, or swap two neighbours),
// letters compared in any case.
std::size_t editDistance(std::string_view a, std::string_view b) {
    const auto same = [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    };
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 1; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t replace = d[i - 1][j - 1] + (same(a[i - 1], b[j - 1]) ? 0 : 1);
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, replace});
            if (i > 1 && j > 1 && same(a[i - 1], b[j - 2]) && same(a[i - 2], b[j - 1])) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

// The candidates nearest to word, when near enough to be a slip of the pen:
// at most two edits, and at most one in three characters.
std::vector<std::string> nearest(std::string_view word, const std::vector<std::string>& candidates) {
    std::vector<std::string> best;
    std::size_t bestDistance = std::min<std::size_t>(2, word.size() / 3);
    for (const std::string& candidate : candidates) {
        const std::size_t distance = editDistance(word, candidate);
        if (distance > bestDistance) continue;
        if (distance < bestDistance) best.clear();
        bestDistance = distance;
        best.push_back(candidate);
    }
    return best;
}

// "3.1.0" for a version: its three numbers as the launcher reads them.
std::string versionDigits(std::string_view value) {
    const VersionParts parts = splitVersion(value);
    return std::to_string(parts.major) + "." + std::to_string(parts.minor) + "." + std::to_string(parts.micro);
}

// "installed 3.1.0 counts as too old, 3.1.1 as recent enough", by the
// launcher's own comparison.
std::string verdicts(const std::vector<std::string>& installed, const std::string& required) {
    std::vector<std::string> parts;
    for (const std::string& version : installed) {
        parts.push_back((parts.empty() ? "installed " + version + " counts" : version) +
                        (compareVersions(version, required) < 0 ? " as too old" : " as recent enough"));
    }
    return joined(parts, ", ");
}

// Whether the number parts of a version, as the launcher splits it, are
// plain numbers; meant is the version with each part cut to its first
// digits. A dot that ends the text opens no part.
bool plainVersion(std::string_view value, std::string& meant) {
    const VersionParts parts = splitVersion(value);
    int count = parts.partsWritten;
    if (count > 1 && parts.written[count - 1].empty() && value.ends_with('.')) --count;
    bool plain = true;
    meant.clear();
    for (int i = 0; i < count; ++i) {
        plain = plain && isPlainNumber(parts.written[i]);
        meant += (meant.empty() ? "" : ".") + digitsOf(parts.written[i]);
    }
    if (!parts.qualifier.empty()) meant += "." + std::string(parts.qualifier);
    return plain;
}

// The version with a comma, hyphen, underscore, slash or blank between two
// digits written as a dot.
std::string withDots(std::string text) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (std::string_view(",-_/ ").find(text[i]) != std::string_view::npos && digit(text[i - 1]) &&
            digit(text[i + 1])) {
            text[i] = '.';
        }
    }
    return text;
}

// How the launcher reads a version: three numbers and a qualifier.
std::string versionReadAs(const std::string& value) {
    const VersionParts parts = splitVersion(value);
    const std::string text = versionDigits(value);
    return parts.qualifier.empty() ? text : text + " with the qualifier \"" + std::string(parts.qualifier) + "\"";
}

}  // namespace

LineRules::LineRules(IniWalk& walk) : walk_(walk) {}

void LineRules::add(int line, int column, std::string rule, std::string message, std::string effect, std::string fix) {
    walk_.findings.push_back(
        Finding{line, column, std::move(rule), std::move(message), std::move(effect), std::move(fix)});
}

void LineRules::ignored(int number, std::string_view key) {
    for (const IniKey& known : iniKeys()) {
        if (equalsAsciiIgnoringCase(known.name, key)) walk_.ignoredKeys.emplace(known.name, number);
    }
}

void LineRules::check(int number, std::string_view line, const IniLine& parsed, IniSection section, int closedBy) {
    if (parsed.kind == IniLineKind::Comment || parsed.kind == IniLineKind::Header) return;
    if (parsed.kind == IniLineKind::Key) return keyLine(number, parsed);
    const std::string trimmed = trimBlanksAndTabs(line);
    if (trimmed.empty()) return;
    if (trimmed[0] == '[') {
        bracketLine(number, line, trimmed, section);
    } else if (trimmed[0] == ';') {
        add(number, static_cast<int>(line.find(';')) + 1, "comment-indented",
            "Comments begin with \";\" in the first column; after blanks or tabs the \";\" is ordinary text.",
            "The line is read as text, matches no key and is ignored: it behaves like a comment only by chance.",
            "Move the \";\" to the first column.");
    } else if (parsed.kind == IniLineKind::OutsideSection) {
        outsideSection(number, line, closedBy);
    } else if (parsed.kind == IniLineKind::NoKey) {
        noKey(number, line, section);
    } else {
        unknownKey(number, parsed, section);
    }
}

namespace {

// What a bracketed line that is no header was meant to be.
struct BracketFinding {
    std::string rule;
    std::string message;
    std::string fix;
    int offset = 0;  ///< from the "[" to where the finding points
};

BracketFinding bracketFinding(const std::string& trimmed) {
    std::vector<std::string> labels;
    for (IniSection known : iniSections()) labels.push_back(sectionLabel(known));
    for (const std::string& label : labels) {
        if (trimmed == label) {
            return {"header-indented", "Only blanks may stand around a header; a tab makes this line no header.",
                    "Write \"" + label + "\" with nothing but blanks around it."};
        }
        if (trimmed.starts_with(label)) {
            return {
                "header-extra",
                "A header line may hold only the header; the text after \"" + label + "\" makes it no header.",
                "Write \"" + label + "\" alone on its line, and a remark on a line of its own that begins with \";\".",
                static_cast<int>(label.size())};
        }
        if (equalsAsciiIgnoringCase(trimmed, label)) {
            return {"header-case",
                    "Headers are matched exactly, in capitals: " + quoted(trimmed) + " is not \"" + label + "\".",
                    "Write \"" + label + "\"."};
        }
    }
    if (const std::vector<std::string> near = nearest(trimmed, labels); !near.empty()) {
        return {"section-misspelled",
                "The launcher knows no section " + quoted(trimmed) + "; did you mean " + joined(near, " or ") + "?",
                "Write \"" + near[0] + "\"."};
    }
    return {"section-unknown", "The launcher knows only the sections " + joined(labels, " and ") + ".",
            "Use one of the three headers, or make the line a comment with \";\" in the first column."};
}

// What the launcher does with the lines below it.
std::string bracketEffect(bool closes, IniSection section) {
    if (closes) {
        return section != IniSection::None
                   ? "Because the line begins with \"[\", it closes " + sectionLabel(section) +
                         ": the key lines below it are ignored until the next known header."
                   : "Because the line begins with \"[\", no section is open after it: the key lines below it "
                     "are ignored until the next known header.";
    }
    return section != IniSection::None
               ? "The line does not begin with \"[\", so it is ignored as ordinary text: the key lines below it "
                 "still belong to " +
                     sectionLabel(section) + "."
               : "The line does not begin with \"[\", so it is ignored as ordinary text: no section opens, and the "
                 "key lines below it are ignored until the next known header.";
}

}  // namespace

void LineRules::bracketLine(int number, std::string_view line, const std::string& trimmed, IniSection section) {
    const BracketFinding finding = bracketFinding(trimmed);
    const int column = static_cast<int>(line.find('[')) + 1;
    add(number, column + finding.offset, finding.rule, finding.message, bracketEffect(line[0] == '[', section),
        finding.fix);
}

void LineRules::outsideSection(int number, std::string_view line, int closedBy) {
    std::string key;
    std::string value;
    const bool hasKey = splitKeyValue(line, key, value) == 0;
    const std::string name = trimBlanksAndTabs(key);
    const std::string why =
        closedBy == 0 ? "no header has opened one yet"
                      : "none is open, since line " + std::to_string(closedBy) + " is no header the launcher knows";
    const std::vector<std::string> homes =
        hasKey ? sectionsWithKey(name, IniSection::None) : std::vector<std::string>{};
    std::string fix = "Make the line a comment with \";\" in the first column, or put it below the right header.";
    if (!homes.empty()) {
        ignored(number, name);
        fix = "Put the line below " + joined(homes, " or ") +
              (closedBy == 0 ? "." : ", or correct the header on line " + std::to_string(closedBy) + ".");
    }
    add(number, 1, "outside-section", "Key lines count only inside a section; " + why + ".",
        hasKey ? "Ignored: " + name + " is not set by this line." : "Ignored.", fix);
}

void LineRules::noKey(int number, std::string_view line, IniSection section) {
    if (line[0] == '=') {
        add(number, 1, "key-missing", "A line that begins with \"=\" has no key.", "Ignored.",
            "Write the key in front of the \"=\"; the keys of " + sectionLabel(section) + " are " + keysOf(section) +
                ".");
        return;
    }
    const std::string trimmed = trimBlanksAndTabs(line);
    const std::size_t wordEnd = std::min(trimmed.find_first_of(" \t:"), trimmed.size());
    const IniKey* key = findKeyIgnoringCase(section, trimmed.substr(0, wordEnd));
    std::string rest = trimBlanksAndTabs(trimmed.substr(wordEnd));
    if (!rest.empty() && rest[0] == ':') rest = trimBlanksAndTabs(rest.substr(1));
    add(number, 1, "no-equals", "A key line needs \"=\" between key and value; this line has none.", "Ignored.",
        key != nullptr ? std::string(key->name) + "=" + rest
                       : "Add \"=\" after the key, or make the line a comment with \";\" in the first column.");
}

void LineRules::unknownKey(int number, const IniLine& parsed, IniSection section) {
    const std::string name = trimBlanksAndTabs(parsed.key);
    const std::string value = trimBlanksAndTabs(parsed.value);
    ignored(number, name);
    if (const IniKey* exact = findIniKey(section, name)) {
        const int column = isBlankOrTab(parsed.key[0]) ? 1 : static_cast<int>(name.size()) + 1;
        add(number, column, "key-blank",
            "Keys are matched exactly as written, blanks included: " + quoted(parsed.key) + " is not " + exact->name +
                ".",
            "Ignored: " + std::string(exact->name) + " is not set by this line.",
            std::string(exact->name) + "=" + value);
    } else if (const IniKey* other = findKeyIgnoringCase(section, name)) {
        add(number, 1, "key-case",
            "Keys are matched exactly, letter case included: " + quoted(name) + " is not " + other->name + ".",
            "Ignored: " + std::string(other->name) + " is not set by this line.",
            std::string(other->name) + "=" + value);
    } else if (const std::vector<std::string> homes = sectionsWithKey(name, section); !homes.empty()) {
        add(number, 1, "key-wrong-section",
            sectionLabel(section) + " has no key " + name + "; it belongs to " + joined(homes, " and ") + ".",
            "Ignored.", "Move the line below " + joined(homes, " or ") + ".");
    } else if (const std::vector<std::string> near = nearest(name, keyNames(section)); !near.empty()) {
        for (const std::string& meant : near) ignored(number, meant);
        std::vector<std::string> fixes;
        for (const std::string& meant : near) fixes.push_back(meant + "=" + value);
        add(number, 1, "key-misspelled",
            sectionLabel(section) + " has no key " + quoted(name) + "; did you mean " + joined(near, " or ") + "?",
            "Ignored: " + joined(near, " and ") + (near.size() == 1 ? " is" : " are") + " not set by this line.",
            joined(fixes, " or "));
    } else {
        add(number, 1, "key-unknown",
            sectionLabel(section) + " has no key " + quoted(name) + "; its keys are " + keysOf(section) + ".",
            "Ignored.", "Use one of the keys of " + sectionLabel(section) + ", or remove the line.");
    }
}

void LineRules::keyLine(int number, const IniLine& parsed) {
    const IniWalk& walk = walk_;
    const std::string name = parsed.entry->name;
    const std::string& value = parsed.value;
    const int column = static_cast<int>(parsed.key.size()) + 2;
    if (parsed.entry->text != nullptr) {
        if (const auto earlier = walk.places.find(parsed.entry); earlier != walk.places.end()) {
            add(number, 1, "key-repeated", name + " is set again; the last line that sets it wins.",
                "The value set on line " + std::to_string(earlier->second.line) + " is replaced by this one.",
                "Keep one " + name + " line.");
        }
    }
    switch (parsed.entry->kind) {
    case ValueKind::Mode:
        return mode(number, column, value);
    case ValueKind::TruthWord:
        return truthWord(number, column, *parsed.entry, value);
    case ValueKind::Locale:
        if (!valueText(number, column, *parsed.entry, value)) locale(number, column, value);
        return;
    case ValueKind::Version:
        if (!valueText(number, column, *parsed.entry, value)) version(number, column, value);
        return;
    default:
        valueText(number, column, *parsed.entry, value);
    }
}

void LineRules::mode(int number, int column, const std::string& value) {
    LaunchMode mode = walk_.values.mode;
    if (parseLaunchMode(value, mode)) return;
    const std::string wanted = trimBlanksAndTabs(value);
    std::vector<std::string> names;
    std::vector<std::string> lines;
    std::string fix;
    for (LaunchMode known : launchModes()) {
        names.push_back(launchModeName(known));
        lines.push_back("MODE=" + names.back());
        if (equalsAsciiIgnoringCase(wanted, names.back())) fix = lines.back();
    }
    add(number, column, "mode-unknown", "MODE takes " + joined(names, " or ") + ", in capitals.",
        std::string("The mode stays ") + launchModeName(walk_.values.mode) + ".",
        fix.empty() ? joined(lines, " or ") + "." : fix);
}

void LineRules::truthWord(int number, int column, const IniKey& key, const std::string& value) {
    if (value.empty() || isTrueWord(value) || isFalseWord(value)) return;
    // What a value that is neither word leaves each setting at.
    const std::pair<std::string IniValues::*, const char*> kUnset[] = {
        {&IniValues::iniSilent, "the run is not silent."},
        {&IniValues::iniIsAdmin,
         "administrator mode follows the user's group membership, and the agent gets no "
         "-isAdmin."},
        {&IniValues::iniLicenseAccepted, "the licence is not accepted."},
    };
    std::string effect = "The value counts as neither true nor false";
    for (const auto& [field, unset] : kUnset) {
        if (key.text == field) effect += std::string(": ") + unset;
    }
    const std::string name = key.name;
    const std::string word = trimBlanksAndTabs(value);
    add(number, column, "truth-word", name + " takes true, yes, false or no, in any letter case and without blanks.",
        effect, isTrueWord(word) || isFalseWord(word) ? name + "=" + word : name + "=true or " + name + "=false");
}

void LineRules::locale(int number, int column, const std::string& value) {
    // language_REGION: the language in small letters, the region in capitals.
    const std::size_t separator = std::min(value.find_first_of("-_"), value.size());
    std::string meant = lowered(value.substr(0, separator));
    if (separator < value.size()) {
        std::string region = value.substr(separator + 1);
        for (char& c : region) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        meant += "_" + region;
    }
    const std::string written = lcidForLocale(value);
    const std::string wanted = lcidForLocale(meant);
    if (meant == value || (written == wanted && value.find('-') == std::string::npos)) return;
    add(number, column, "locale-format",
        "NL names a locale as language_REGION, with an underscore, the language in small letters and the region in "
        "capitals: the launcher finds the installer's language by these letters, and the agent receives the name "
        "as written.",
        "An executable installer receives /L" + written + (written == wanted ? "" : " instead of /L" + wanted) +
            ", and the agent -nl " + value + " instead of " + meant + ".",
        "NL=" + meant);
}

bool LineRules::valueText(int number, int column, const IniKey& entry, const std::string& value) {
    const std::string key = entry.name;
    const bool version = entry.kind == ValueKind::Version;
    for (std::size_t i = 1; i < value.size(); ++i) {
        if (value[i] != ';' || !isBlankOrTab(value[i - 1])) continue;
        add(number, column + static_cast<int>(i), "value-remark",
            "A \";\" after a blank starts no remark: everything after \"=\" is the value, the remark included.",
            key + " is " + quoted(value) + (version ? ", read as " + versionReadAs(value) : "") + ".",
            key + "=" + trimBlanksAndTabs(value.substr(0, i)) +
                ", with the remark on a line of its own that begins "
                "with \";\".");
        return true;
    }
    if (value.empty() || (!isBlankOrTab(value.front()) && !isBlankOrTab(value.back()))) return false;
    const bool leading = isBlankOrTab(value.front());
    const std::string trimmed = trimBlanksAndTabs(value);
    const std::string where = leading && isBlankOrTab(value.back()) ? "at both ends"
                              : leading                             ? "at its start"
                                                                    : "at its end";
    const int at = leading ? column : column + static_cast<int>(value.find_last_not_of(" \t") + 1);
    add(number, at, "value-blank", "Values are taken exactly as written: the blank " + where + " stays in the value.",
        key + " is " + quoted(value) + (version ? ", read as " + versionReadAs(value) : "") + ".", key + "=" + trimmed);
    return true;
}

void LineRules::version(int number, int column, const std::string& value) {
    if (value.empty()) {
        add(number, column, "version-format", "VERSION is empty, so the required version reads as 0.0.0.",
            "Any installed agent counts as recent enough; the installer does not run while one is found.",
            "Write the minimum agent version, for example VERSION=1.0.0.");
        return;
    }
    if (std::string meant; !plainVersion(value, meant)) {
        const std::string dotted = withDots(value);
        if (dotted != value && plainVersion(dotted, meant)) return versionSeparator(number, column, value, dotted);
        add(number, column, "version-format",
            "The first three parts of VERSION must be plain decimal numbers (major.minor.micro, then an optional "
            "qualifier).",
            "Reads " + quoted(value) + " as " + versionReadAs(value) + ".", "VERSION=" + meant);
        return;
    }
    const VersionParts parts = splitVersion(value);
    const std::string digits = versionDigits(value);
    if (compareVersions(digits, value) >= 0) return;
    const std::string qualifier(parts.qualifier);
    std::string fix = "VERSION=" + digits + " (keep the qualifier only when the agent's installed.xml records it too)";
    if (equalsAsciiIgnoringCase(qualifier, "beta")) {
        fix = "VERSION=" + digits + ".beta";
    } else if (qualifier.find_first_not_of("0.") == std::string::npos) {
        fix = "VERSION=" + digits;
    }
    const std::string next = std::to_string(parts.major) + "." + std::to_string(parts.minor) + "." +
                             std::to_string(static_cast<long long>(parts.micro) + 1);
    add(number, column, "version-qualifier",
        "Everything after the third number of VERSION is a qualifier, compared as text: " + quoted(qualifier) +
            " makes " + value + " newer than " + digits +
            "; only the qualifier \"beta\", in lower case, sorts below "
            "the version without one.",
        "Against " + value + ", " + verdicts({digits, digits + ".beta", next}, value) + ": an agent that records " +
            digits + " is installed again on every run.",
        fix);
}

void LineRules::versionSeparator(int number, int column, const std::string& value, const std::string& dotted) {
    const std::string readAs = versionDigits(value);
    std::string effect = "Reads " + quoted(value) + " as " + versionReadAs(value) + ": ";
    if (compareVersions(dotted, value) < 0) {
        effect += "installed " + dotted + " counts as too old, so an agent that records " + dotted +
                  " is installed again on every run.";
    } else if (compareVersions(readAs, dotted) < 0) {
        effect += "installed " + readAs + " counts as recent enough, though it is older than the " + dotted + " meant.";
    } else {
        effect += "the same as " + dotted + ".";
    }
    add(number, column, "version-separator",
        "The launcher splits VERSION at dots only; " + quoted(value) + " separates its numbers with other characters.",
        effect, "VERSION=" + dotted);
}

void LineRules::cut(int number, std::size_t length, const IniLine& first, const std::vector<PieceEffect>& rest) {
    std::vector<std::string> effects;
    if (first.kind == IniLineKind::Key) {
        const std::string count = std::to_string(first.value.size());
        effects.push_back(
            first.entry->list != nullptr
                ? std::string(first.entry->name) + " adds only the first " + count + " characters of its value"
                : std::string(first.entry->name) + " gets only the first " + count + " characters of its value");
    }
    bool changes = first.kind == IniLineKind::Key;
    bool ignored = false;
    for (const PieceEffect& piece : rest) {
        const std::string at = "the piece at column " + std::to_string(piece.column);
        if (piece.kind == IniLineKind::Header) {
            effects.push_back(at + " opens " + sectionLabel(piece.header));
        } else if (piece.kind == IniLineKind::OtherBracket) {
            effects.push_back(at + " begins with \"[\" and closes the section");
        } else if (piece.kind == IniLineKind::Key) {
            effects.push_back(at + " sets " + piece.entry->name);
        } else {
            ignored = true;
            continue;
        }
        changes = true;
    }
    if (!changes) return;
    if (ignored) effects.push_back("the rest is ignored");
    const std::string effect = capitalized(joined(effects, "; ") + ".");
    add(number, static_cast<int>(kLinePieceLength) + 1, "line-cut",
        "The launcher reads lines in pieces of 254 characters; this line has " + std::to_string(length) +
            ", so the rest from column 255 is read as a line of its own.",
        effect,
        first.kind == IniLineKind::Comment
            ? "Split the remark over several comment lines of at most 254 characters."
            : "Keep the line within 254 characters: shorten the value, for example with a shorter folder name.");
}

}  // namespace launcher::check
