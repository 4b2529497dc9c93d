#include "config/launcher_ini.h"

#include "config/text_rules.h"
#include "platform/text_file.h"

namespace launcher {

const std::vector<IniKey>& iniKeys() {
    using enum ValueKind;
    static const std::vector<IniKey> keys = {
        {IniSection::Installer, "LOCATION", &IniValues::iniInstallerLocation, nullptr, InstallerFile},
        {IniSection::Installer, "ARG", nullptr, &IniValues::iniInstallerArgs, InstallerArgument},
        {IniSection::Installer, "LICENSEACCEPTED", &IniValues::iniLicenseAccepted, nullptr, TruthWord},
        {IniSection::Manager, "LOCATION_KEY", &IniValues::iniManagerLocationKey, nullptr, RegistryKey},
        {IniSection::Manager, "LOCATION_FILE", &IniValues::iniManagerLocationFile, nullptr, ReferenceFile},
        {IniSection::Manager, "VERSION", &IniValues::iniManagerVersion, nullptr, Version},
        {IniSection::Manager, "LAUNCHER", &IniValues::iniManagerLauncher, nullptr, AgentProgram},
        {IniSection::Manager, "LAUNCHER_SILENT", &IniValues::iniManagerLauncherSilent, nullptr, AgentProgram},
        {IniSection::Manager, "INPUT_FILE", &IniValues::iniManagerInput, nullptr, InputFile},
        {IniSection::Manager, "MODE", &IniValues::iniMode, nullptr, Mode},
        {IniSection::Manager, "ARG", nullptr, &IniValues::iniManagerArgs, AgentArgument},
        {IniSection::Common, "SILENT", &IniValues::iniSilent, nullptr, TruthWord},
        {IniSection::Common, "ISADMIN", &IniValues::iniIsAdmin, nullptr, TruthWord},
        {IniSection::Common, "APPDATALOCATION", &IniValues::iniAppDataLocation, nullptr, DataFolder},
        {IniSection::Common, "NL", &IniValues::iniNL, nullptr, Locale},
    };
    return keys;
}

const std::vector<IniSection>& iniSections() {
    static const std::vector<IniSection> sections = {IniSection::Installer, IniSection::Manager, IniSection::Common};
    return sections;
}

const std::vector<LaunchMode>& launchModes() {
    static const std::vector<LaunchMode> modes = {LaunchMode::INSTALL, LaunchMode::UNINSTALL, LaunchMode::EXTENSION};
    return modes;
}

const char* sectionHeader(IniSection section) {
    switch (section) {
    case IniSection::Installer:
        return "[INSTALLER]";
    case IniSection::Manager:
        return "[MANAGER]";
    case IniSection::Common:
        return "[COMMON]";
    case IniSection::None:
        break;
    }
    return "";
}

bool parseSectionHeader(std::string_view line, IniSection& section) {
    const std::string trimmed = trimSpaces(line);
    for (IniSection candidate : iniSections()) {
        if (trimmed == sectionHeader(candidate)) {
            section = candidate;
            return true;
        }
    }
    return false;
}

const IniKey* findIniKey(IniSection section, std::string_view key) {
    for (const IniKey& entry : iniKeys()) {
        if (entry.section == section && key == entry.name) return &entry;
    }
    return nullptr;
}

const char* launchModeName(LaunchMode mode) {
    switch (mode) {
    case LaunchMode::UNINSTALL:
        return "UNINSTALL";
    case LaunchMode::EXTENSION:
        return "EXTENSION";
    case LaunchMode::INSTALL:
        break;
    }
    return "INSTALL";
}

bool parseLaunchMode(std::string_view value, LaunchMode& mode) {
    const std::string trimmed = trimSpaces(value);
    for (LaunchMode candidate : launchModes()) {
        if (trimmed == launchModeName(candidate)) {
            mode = candidate;
            return true;
        }
    }
    return false;
}

IniLine classifyIniLine(std::string_view line, IniSection section) {
    IniLine result;
    // Comments only in the very first column; a ";" after blanks is text.
    if (!line.empty() && line[0] == ';') {
        result.kind = IniLineKind::Comment;
    } else if (parseSectionHeader(line, result.header)) {
        result.kind = IniLineKind::Header;
    } else if (!line.empty() && line[0] == '[') {
        // Any other bracketed line closes the section until a known header.
        result.kind = IniLineKind::OtherBracket;
    } else if (section == IniSection::None) {
        result.kind = IniLineKind::OutsideSection;
    } else if (splitKeyValue(line, result.key, result.value) != 0) {
        result.kind = IniLineKind::NoKey;
    } else {
        result.entry = findIniKey(section, result.key);
        result.kind = result.entry != nullptr ? IniLineKind::Key : IniLineKind::UnknownKey;
    }
    return result;
}

void applyIniLine(std::string_view line, IniSection& section, IniValues& values) {
    IniLine parsed = classifyIniLine(line, section);
    switch (parsed.kind) {
    case IniLineKind::Header:
        section = parsed.header;
        return;
    case IniLineKind::OtherBracket:
        section = IniSection::None;
        return;
    case IniLineKind::Key:
        break;
    default:
        return;  // comments, lines without a key and keys of other sections are ignored
    }
    const IniKey& entry = *parsed.entry;
    if (entry.list != nullptr) {
        (values.*(entry.list)).push_back(std::move(parsed.value));
        return;
    }
    values.*(entry.text) = parsed.value;
    // A MODE that names no mode leaves the mode as it was.
    if (entry.text == &IniValues::iniMode) (void)parseLaunchMode(parsed.value, values.mode);
}

bool readLauncherIni(FileReader& files, const std::string& path, IniValues& values) {
    std::unique_ptr<TextLineReader> reader = openTextFile(files, path);
    if (!reader) return false;
    IniSection section = IniSection::None;
    std::string_view line;
    while (reader->nextLine(line)) applyIniLine(line, section, values);
    return true;
}

}  // namespace launcher
