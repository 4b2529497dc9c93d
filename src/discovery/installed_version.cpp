#include "discovery/installed_version.h"

#include "platform/path_utils.h"
#include "platform/text_file.h"

namespace launcher {

namespace {

constexpr std::string_view kPackageTag = "<package";
constexpr std::string_view kVersionAttribute = "version='";

bool isSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::optional<std::string> installedAgentVersion(Platform& platform, TraceFile& trace, const std::string& location,
                                                 LookupRecord* record) {
    LookupRecord unused;
    LookupRecord& noted = record ? *record : unused;
    trace.line("Get Installed QM Version: \n");
    // "qmLocatoin" is misspelt on purpose: that is the label every trace has
    // carried, and support scripts search for it. Do not correct it.
    trace.value("qmLocatoin", location);
    if (location.empty()) return std::nullopt;

    const CodePage codePage = platform.systemCodePage();
    std::string agentDir = location;
    stripTrailingSeparator(codePage, agentDir);
    const std::string configFile = agentDir + "\\eclipse\\configuration\\config.ini";
    trace.value("configFile", configFile);
    noted.configFile = configFile;

    std::string rawValue;
    readConfigValue(platform, configFile, rawValue);
    if (rawValue.empty()) return std::nullopt;

    std::string dataDir = collapseSeparators(codePage, unescapeDriveColon(codePage, rawValue));
    stripTrailingSeparator(codePage, dataDir);
    trace.value("appDataDir", dataDir);
    noted.appDataDir = dataDir;
    if (dataDir.empty()) return std::nullopt;

    const std::string installedXml = dataDir + "\\installed.xml";
    trace.value("installedXMLFile", installedXml);
    noted.installedXml = installedXml;
    std::string version;
    readPackageVersion(platform, installedXml, version);
    trace.value("currVersion", version);
    if (version.empty()) return std::nullopt;
    return version;
}

void readConfigValue(FileReader& files, const std::string& path, std::string& output) {
    std::unique_ptr<TextLineReader> reader = openTextFile(files, path);
    if (!reader) return;
    output.clear();
    std::string_view line;
    while (reader->nextLine(line)) {
        // The key is compared over its own length: a longer key that starts
        // with it matches too. A comment line ("#") never starts with it.
        if (line.substr(0, kDataLocationKey.size()) != kDataLocationKey) continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) return;  // a key line without "=" ends the search
        output.assign(line.substr(equals + 1));
    }
}

void readPackageVersion(FileReader& files, const std::string& path, std::string& output) {
    std::unique_ptr<TextLineReader> reader = openTextFile(files, path);
    if (!reader) return;
    output.clear();
    std::string_view line;
    while (reader->nextLine(line)) {
        const std::size_t version = line.find(kVersionAttribute);
        if (version == std::string_view::npos) continue;
        if (line.find(kPackageTag) == std::string_view::npos || line.find(kPackageId) == std::string_view::npos) {
            continue;
        }
        const std::size_t start = version + kVersionAttribute.size();
        const std::size_t quote = line.find('\'', start);
        if (quote == std::string_view::npos) continue;
        output.assign(line.substr(start, quote - start));
        return;
    }
}

std::string unescapeDriveColon(const CodePage& codePage, const std::string& source) {
    if (source.size() >= 3 && !codePage.isLeadByte(source[0]) && source[1] == '\\' && source[2] == ':') {
        return source.substr(0, 1) + source.substr(2);
    }
    return source;
}

std::string collapseSeparators(const CodePage& codePage, const std::string& source) {
    // source[1] of a shorter string is its terminating NUL.
    std::string result;
    std::size_t i = 0;
    if (source[0] == '\\' && source[1] == '\\') {
        result = "\\\\";
        i = 2;
    }
    bool lastKeptSeparator = false;
    for (std::size_t next = i; i < source.size(); i = next) {
        next = codePage.next(source, i);
        const char c = source[i];
        // A character's lead byte is never a separator, and its trail byte is
        // stepped over with it.
        if (!isSeparator(c)) {
            result.append(source, i, next - i);
            lastKeptSeparator = false;
        } else if (lastKeptSeparator) {
            lastKeptSeparator = false;  // dropped: the next one is kept again
        } else {
            result += c;
            lastKeptSeparator = true;
        }
    }
    return result;
}

}  // namespace launcher
