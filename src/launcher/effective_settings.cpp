#include "launcher/effective_settings.h"

#include "config/text_rules.h"
#include "platform/path_utils.h"

namespace launcher {

namespace {

const std::string& firstNonEmpty(const std::string& preferred, const std::string& fallback) {
    return preferred.empty() ? fallback : preferred;
}

// A relative input file is taken from the launcher's directory. When the
// normalisation fails, the joined path stands as it is.
std::string resolveInputFile(Platform& platform, const LauncherState& state) {
    const std::string& value = firstNonEmpty(state.argInputFile, state.iniManagerInput);
    if (value.empty()) return std::string();
    const std::string path = isAbsolutePath(platform, value) ? value : state.launcherDir + '\\' + value;
    std::string normalized;
    // Its result is not consulted: a failed normalisation leaves the joined path.
    (void)normalizePath(platform.systemCodePage(), normalized, path);
    return normalized;
}

}  // namespace

void resolveEffectiveSettings(Platform& platform, LauncherState& state) {
    // A false word in the INI file cannot undo -silent.
    if (state.argIsSilent == 1 || isTrueWord(state.iniSilent)) {
        state.isSilent = 1;
        state.isWait = 1;
        state.isDialogAllowed = 0;
    }
    if (state.argIsUserAdmin == 1 || isTrueWord(state.iniIsAdmin)) {
        state.isUserAdmin = 1;
    } else if (isFalseWord(state.iniIsAdmin)) {
        state.isUserAdmin = 0;
    } else {
        state.isUserAdmin = platform.isUserAnAdmin();
    }
    state.appDataLocation = firstNonEmpty(state.argAppDataLocation, state.iniAppDataLocation);
    state.nl = firstNonEmpty(state.argNL, state.iniNL);
    state.isLicenseAccepted = (state.argLicenseAccepted == 1 || isTrueWord(state.iniLicenseAccepted)) ? 1 : 0;
    state.inputFile = resolveInputFile(platform, state);
}

}  // namespace launcher
