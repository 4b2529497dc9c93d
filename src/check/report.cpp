#include <cstdio>

#include "check/findings.h"

namespace launcher::check {

namespace {

// Length of the UTF-8 sequence that starts at text[i], or 0 when the bytes
// there are no valid sequence (overlong forms and surrogates included).
std::size_t utf8Length(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned int value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    const bool invalid = (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF;
    return overlong || invalid ? 0 : length;
}

std::string escapeUnit(unsigned int unit) {
    char buffer[8];
    std::snprintf(buffer, sizeof(buffer), "\\u%04x", unit);
    return buffer;
}

std::string where(const LintReport& report, const Finding& finding) {
    if (finding.line == 0) return report.file;
    return report.file + ":" + std::to_string(finding.line) + ":" + std::to_string(finding.column);
}

void jsonField(std::string& out, const Field& field) {
    out += jsonString(field.label) + ":";
    switch (field.kind) {
    case Field::Kind::Text:
        out += jsonString(field.text);
        break;
    case Field::Kind::Number:
        out += std::to_string(field.number);
        break;
    case Field::Kind::List:
        out += "[";
        for (std::size_t i = 0; i < field.list.size(); ++i) out += (i ? "," : "") + jsonString(field.list[i]);
        out += "]";
        break;
    }
}

}  // namespace

void Section::text(const std::string& label, const std::string& value) {
    fields.push_back(Field{label, Field::Kind::Text, value, 0, {}});
}

void Section::number(const std::string& label, long value) {
    fields.push_back(Field{label, Field::Kind::Number, std::string(), value, {}});
}

void Section::list(const std::string& label, const std::vector<std::string>& values) {
    fields.push_back(Field{label, Field::Kind::List, std::string(), 0, values});
}

std::string asUtf8(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : utf8Length(text, i);
        if (length > 0) {
            out.append(text, i, length);
            i += length;
            continue;
        }
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
        ++i;
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
            out += escapeUnit(c);
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
    std::string out = "{\"tool\":\"launcher-check\",\"file\":" + jsonString(report.file);
    out += ",\"status\":";
    out += code == kExitClean ? "\"clean\"" : code == kExitWarnings ? "\"warnings\"" : "\"error\"";
    out += ",\"exitCode\":" + std::to_string(code);
    if (!report.error.empty()) out += ",\"error\":" + jsonString(report.error);
    out += ",\"notes\":[";
    for (std::size_t i = 0; i < report.notes.size(); ++i) out += (i ? "," : "") + jsonString(report.notes[i]);
    out += "],\"findings\":[";
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
    for (const Section& section : explanation.sections) {
        out += section.name + "\n";
        for (const Field& field : section.fields) {
            out += "  " + field.label + ": ";
            if (field.kind == Field::Kind::Number) {
                out += std::to_string(field.number) + "\n";
            } else if (field.kind == Field::Kind::Text) {
                out += field.text + "\n";
            } else {
                out += "(" + std::to_string(field.list.size()) + ")\n";
                for (std::size_t i = 0; i < field.list.size(); ++i) {
                    out += "    [" + std::to_string(i) + "] " + field.list[i] + "\n";
                }
            }
        }
    }
    if (!explanation.error.empty()) out += "error: " + explanation.error + "\n";
    return out;
}

std::string renderJson(const Explanation& explanation) {
    std::string out = "{\"tool\":\"launcher-check\",\"mode\":\"explain\"";
    out += ",\"exitCode\":" + std::to_string(explanation.error.empty() ? kExitClean : kExitUnreadable);
    if (!explanation.error.empty()) out += ",\"error\":" + jsonString(explanation.error);
    for (const Section& section : explanation.sections) {
        out += "," + jsonString(section.name) + ":{";
        for (std::size_t i = 0; i < section.fields.size(); ++i) {
            if (i > 0) out += ",";
            jsonField(out, section.fields[i]);
        }
        out += "}";
    }
    return out + "}\n";
}

}  // namespace launcher::check
