#include <cstdio>

#include "check/findings.h"
#include "messages/messages.h"

namespace launcher::check {

namespace {

std::string where(const LintReport& report, const Finding& finding) {
    if (finding.line == 0) return report.file;
    return report.file + ":" + std::to_string(finding.line) + ":" + std::to_string(finding.column);
}

std::string jsonList(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + jsonString(items[i]);
    return out + "]";
}

std::string jsonValue(const Field& field) {
    switch (field.kind) {
    case Field::Kind::Text:
        return jsonString(field.text);
    case Field::Kind::Number:
    case Field::Kind::Flag:
        return std::to_string(field.number);
    case Field::Kind::List:
        return jsonList(field.list);
    case Field::Kind::None:
        break;
    }
    return "null";
}

std::string textValue(const Field& field) {
    std::string value;
    switch (field.kind) {
    case Field::Kind::Text:
        value = field.text;
        break;
    case Field::Kind::Number:
        value = std::to_string(field.number);
        break;
    case Field::Kind::Flag:
        value = field.number != 0 ? "yes" : "no";
        break;
    case Field::Kind::List:
        value = "(" + std::to_string(field.list.size()) + ")";
        break;
    case Field::Kind::None:
        return field.note;
    }
    if (field.note.empty()) return value;
    return value.empty() ? "(" + field.note + ")" : value + " (" + field.note + ")";
}

}  // namespace

void Section::text(const std::string& label, const std::string& value, const std::string& note) {
    fields.push_back({.label = label, .kind = Field::Kind::Text, .text = value, .note = note});
}

void Section::number(const std::string& label, long value, const std::string& note) {
    fields.push_back({.label = label, .kind = Field::Kind::Number, .number = value, .note = note});
}

void Section::flag(const std::string& label, bool value, const std::string& note) {
    fields.push_back({.label = label, .kind = Field::Kind::Flag, .number = value, .note = note});
}

void Section::list(const std::string& label, const std::vector<std::string>& values, const std::string& note) {
    fields.push_back({.label = label, .kind = Field::Kind::List, .list = values, .note = note});
}

void Section::none(const std::string& label, const std::string& note) {
    fields.push_back({.label = label, .kind = Field::Kind::None, .note = note});
}

std::string asUtf8(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        // A character's bytes: the shortest sequence that the launcher's own
        // conversion takes back unchanged.
        std::size_t length = 1;
        while (length <= 4 && utf16ToUtf8(utf8ToUtf16(text.substr(i, length))) != text.substr(i, length)) ++length;
        if (length > 4) {
            out += utf16ToUtf8(std::u16string(1, static_cast<unsigned char>(text[i])));
            length = 1;
        } else {
            out.append(text, i, length);
        }
        i += length;
    }
    return out;
}

std::string jsonString(const std::string& raw) {
    const std::string text = asUtf8(raw);
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char unit[7];  // \u and four hex digits
            std::snprintf(unit, sizeof(unit), "\\u%04x", c);
            out += unit;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

int exitCodeOf(const LintReport& report) {
    if (!report.error.empty()) return kExitUnreadable;
    return report.findings.empty() ? kExitClean : kExitWarnings;
}

std::string renderText(const LintReport& report) {
    std::string out;
    for (const std::string& note : report.notes) out += "note: " + note + "\n";
    if (!report.error.empty()) return out + report.file + ": error: " + report.error + "\n";
    for (const Finding& finding : report.findings) {
        out += where(report, finding) + ": warning [" + finding.rule + "] " + finding.message + "\n";
        out += "  launcher: " + finding.effect + "\n";
        out += "  fix: " + finding.fix + "\n";
    }
    const std::size_t count = report.findings.size();
    out += report.file + ": ";
    out += count == 0 ? "no warnings" : std::to_string(count) + (count == 1 ? " warning" : " warnings");
    return out + "\n";
}

std::string renderJson(const LintReport& report) {
    const int code = exitCodeOf(report);
    std::string out = "{\"tool\":\"launcher-check\",\"schemaVersion\":" + std::to_string(kJsonSchemaVersion);
    out += ",\"mode\":\"check\",\"file\":" + jsonString(report.file) + ",\"status\":";
    out += code == kExitClean ? "\"clean\"" : code == kExitWarnings ? "\"warnings\"" : "\"error\"";
    out += ",\"exitCode\":" + std::to_string(code);
    if (!report.error.empty()) out += ",\"error\":" + jsonString(report.error);
    out += ",\"notes\":" + jsonList(report.notes) + ",\"findings\":[";
    for (std::size_t i = 0; i < report.findings.size(); ++i) {
        const Finding& f = report.findings[i];
        out += i ? "," : "";
        out += "{\"line\":" + std::to_string(f.line) + ",\"column\":" + std::to_string(f.column);
        out += ",\"rule\":" + jsonString(f.rule) + ",\"message\":" + jsonString(f.message);
        out += ",\"launcher\":" + jsonString(f.effect) + ",\"fix\":" + jsonString(f.fix) + "}";
    }
    return out + "]}\n";
}

std::string renderText(const Explanation& explanation) {
    std::string out;
    for (const std::string& note : explanation.notes) out += "note: " + note + "\n";
    for (const Section& section : explanation.sections) {
        out += section.name + "\n";
        for (const Field& field : section.fields) {
            out += "  " + field.label + ": " + textValue(field) + "\n";
            for (std::size_t i = 0; i < field.list.size(); ++i) {
                out += "    [" + std::to_string(i) + "] " + field.list[i] + "\n";
            }
        }
    }
    if (!explanation.error.empty()) out += "error: " + explanation.error + "\n";
    return out;
}

std::string renderJson(const Explanation& explanation) {
    std::string out = "{\"tool\":\"launcher-check\",\"schemaVersion\":" + std::to_string(kJsonSchemaVersion);
    out += ",\"mode\":\"explain\"";
    out += ",\"exitCode\":" + std::to_string(explanation.error.empty() ? kExitClean : kExitUnreadable);
    if (!explanation.error.empty()) out += ",\"error\":" + jsonString(explanation.error);
    out += ",\"notes\":" + jsonList(explanation.notes);
    for (const Section& section : explanation.sections) {
        std::string notes;
        out += "," + jsonString(section.name) + ":{";
        for (std::size_t i = 0; i < section.fields.size(); ++i) {
            const Field& field = section.fields[i];
            out += (i > 0 ? "," : "") + jsonString(field.label) + ":" + jsonValue(field);
            if (field.note.empty()) continue;
            notes += (notes.empty() ? "" : ",") + jsonString(field.label) + ":" + jsonString(field.note);
        }
        out += std::string(section.fields.empty() ? "" : ",") + "\"notes\":{" + notes + "}}";
    }
    return out + "}\n";
}

}  // namespace launcher::check
