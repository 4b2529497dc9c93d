#include "check/ini_lint.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <optional>

#include "check/image_files.h"
#include "check/line_rules.h"

namespace launcher::check {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// One physical line: the pieces in which the launcher reads it.
struct PhysicalLine {
    int number = 0;
    std::vector<std::string> pieces;
    std::size_t length() const {
        std::size_t total = 0;
        for (const std::string& piece : pieces) total += piece.size();
        return total;
    }
};

class Walker {
public:
    explicit Walker(IniWalk& walk) : walk_(walk), rules_(walk) {}

    void line(const PhysicalLine& physical) {
        const IniLine first = classifyIniLine(physical.pieces[0], section_);
        if (physical.number == 1 && physical.pieces[0].starts_with(kByteOrderMark)) {
            byteOrderMark(physical.pieces[0]);
        } else {
            rules_.check(physical.number, physical.pieces[0], first, section_, closedBy_);
        }
        apply(physical.number, 0, physical.pieces[0], first);

        // A line longer than one piece: the rest arrives as lines of their own.
        std::vector<PieceEffect> rest;
        int column = static_cast<int>(physical.pieces[0].size()) + 1;
        for (std::size_t i = 1; i < physical.pieces.size(); ++i) {
            const IniLine piece = classifyIniLine(physical.pieces[i], section_);
            // The line feed after exactly 254 characters arrives alone: no cut.
            if (!physical.pieces[i].empty()) rest.push_back({column, piece.kind, piece.header, piece.entry});
            apply(physical.number, column - 1, physical.pieces[i], piece);
            column += static_cast<int>(physical.pieces[i].size());
        }
        if (!rest.empty()) rules_.cut(physical.number, physical.length(), first, rest);
    }

private:
    void byteOrderMark(std::string_view piece) {
        IniSection header = IniSection::None;
        const bool isHeader = parseSectionHeader(piece.substr(kByteOrderMark.size()), header);
        walk_.findings.push_back(Finding{
            1, 1, "byte-order-mark",
            "The file begins with a UTF-8 byte-order mark; the launcher reads those three bytes as part of the "
            "first line.",
            isHeader ? "\"" + sectionLabel(header) +
                           "\" on this line is no header, so no section is open: the key lines below it are "
                           "ignored until the next header."
                     : "No harm in this file as it stands, but a header on the first line would not be recognised.",
            "Save the file without a byte-order mark (as ANSI, or UTF-8 without BOM)."});
        if (isHeader) closedBy_ = 1;
    }

    void apply(int number, int offset, std::string_view piece, const IniLine& parsed) {
        if (parsed.kind == IniLineKind::OtherBracket) closedBy_ = number;
        if (parsed.kind == IniLineKind::Key) {
            const ValuePlace place{number, offset + static_cast<int>(parsed.key.size()) + 2};
            if (parsed.entry->text != nullptr) {
                walk_.places[parsed.entry] = place;
            } else {
                walk_.listPlaces[parsed.entry].push_back(place);
            }
        }
        applyIniLine(piece, section_, walk_.values);
    }

    IniWalk& walk_;
    LineRules rules_;
    IniSection section_ = IniSection::None;
    int closedBy_ = 0;  // the line whose bracket closed the last section; 0 before any
};

}  // namespace

std::string sectionLabel(IniSection section) {
    return section == IniSection::None ? "no section" : sectionHeader(section);
}

std::string trimBlanksAndTabs(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::string();
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string capitalized(std::string text) {
    if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

std::string joined(const std::vector<std::string>& items, const std::string& last) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += (i + 1 == items.size()) ? last : ", ";
        out += items[i];
    }
    return out;
}

IniWalk walkIniLines(TextLineReader& reader) {
    IniWalk walk;
    Walker walker(walk);
    PhysicalLine physical{1, {}};
    std::string_view piece;
    // Without NUL bytes (such files are refused as binary), a piece of full
    // length never ends its line: a line feed right after it arrives as an
    // empty piece of its own. Any shorter piece ends the line.
    while (reader.nextLine(piece)) {
        physical.pieces.emplace_back(piece);
        if (piece.size() == kLinePieceLength) continue;
        walker.line(physical);
        physical = PhysicalLine{physical.number + 1, {}};
    }
    if (!physical.pieces.empty()) walker.line(physical);
    return walk;
}

namespace {

// Text mode ends the file at a Ctrl-Z; whatever follows is never read.
void checkEndOfText(Platform& platform, const std::string& iniPath, IniWalk& walk) {
    const std::string bytes = readBytes(platform, iniPath).value_or(std::string());
    const std::size_t stop = bytes.find('\x1a');
    if (stop == std::string::npos || bytes.find_first_not_of(" \t\r\n\x1a", stop) == std::string::npos) return;
    const std::size_t lineStart = bytes.rfind('\n', stop);
    walk.findings.push_back(
        Finding{static_cast<int>(std::count(bytes.begin(), bytes.begin() + static_cast<long>(stop), '\n')) + 1,
                static_cast<int>(lineStart == std::string::npos ? stop + 1 : stop - lineStart), "end-of-text",
                "The file holds a Ctrl-Z character, which ends the text for the launcher.",
                "Everything after it is never read.", "Remove the Ctrl-Z character."});
}

}  // namespace

std::vector<Finding> lintIniFile(Platform& platform, const std::string& iniPath, const std::string& launcherDir) {
    std::unique_ptr<TextLineReader> reader = openTextFile(platform, iniPath);
    if (!reader) return {};
    IniWalk walk = walkIniLines(*reader);
    checkEndOfText(platform, iniPath, walk);
    checkIniValues(platform, launcherDir, walk);
    checkArgLines(platform, walk);
    const auto order = [](const Finding& f) { return std::pair(f.line == 0 ? INT_MAX : f.line, f.column); };
    std::stable_sort(walk.findings.begin(), walk.findings.end(),
                     [&](const Finding& a, const Finding& b) { return order(a) < order(b); });
    return walk.findings;
}

}  // namespace launcher::check
