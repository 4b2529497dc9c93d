// Win32 code only: this is the one file of the launcher that includes
// <windows.h>. Handles live in small owners that close themselves, and
// registry data is terminated here, never assumed to be.
#include "platform/win32_platform.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "platform/spelled_path.h"

namespace launcher {

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (valid()) CloseHandle(handle_);
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

class RegistryKey {
public:
    RegistryKey(HKEY root, const std::string& path, REGSAM view) {
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

class Win32InputFile : public InputFile {
public:
    explicit Win32InputFile(HANDLE handle) : handle_(handle) {}
    std::size_t read(char* buffer, std::size_t size) override {
        DWORD got = 0;
        if (!ReadFile(handle_.get(), buffer, static_cast<DWORD>(size), &got, nullptr)) return 0;
        return got;
    }

private:
    FileHandle handle_;
};

class Win32OutputFile : public OutputFile {
public:
    explicit Win32OutputFile(HANDLE handle) : handle_(handle) {}
    bool write(const char* data, std::size_t size) override {
        DWORD written = 0;
        return WriteFile(handle_.get(), data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    }

private:
    FileHandle handle_;
};

std::u16string toU16(const wchar_t* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

const wchar_t* asWide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// Text of a Win32 call that fills a buffer and returns the length it
// needs when the buffer is too small; nothing when it fails.
template <class Call>
std::optional<std::u16string> wideText(Call call, DWORD start = MAX_PATH + 1) {
    std::vector<wchar_t> buffer(start);
    for (;;) {
        const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::nullopt;
        if (length < buffer.size()) return toU16(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

// Creates the child with the launcher's environment, current directory and
// inheritable handles; returns its process handle, or null.
HANDLE createChild(const std::string& program, const std::string& commandLine) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        return nullptr;
    }
    CloseHandle(info.hThread);
    return info.hProcess;
}

// The shell and user-interface functions come from DLLs that are loaded on
// first use: most runs need none of them, and loading user32 and shell32
// costs more of a run's time than all the rest of the launcher's work. Each
// is loaded by its full path in the system directory, so no search is made.
void* systemFunction(const wchar_t* dll, const char* name) {
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    const std::size_t dllLength = std::wcslen(dll);
    if (length == 0 || length + 1 + dllLength >= MAX_PATH) return nullptr;
    path[length] = L'\\';
    std::wmemcpy(path + length + 1, dll, dllLength + 1);
    HMODULE module = LoadLibraryW(path);  // kept loaded until the process ends
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

// A function of a system DLL, looked up on the first call of get(); null
// when the system cannot deliver it.
template <class Function>
class SystemFunction {
public:
    constexpr SystemFunction(const wchar_t* dll, const char* name) : dll_(dll), name_(name) {}
    Function get() {
        if (!tried_) {
            tried_ = true;
            function_ = reinterpret_cast<Function>(systemFunction(dll_, name_));
        }
        return function_;
    }

private:
    const wchar_t* dll_;
    const char* name_;
    bool tried_ = false;
    Function function_ = nullptr;
};

using PathIsRelativeAFunction = BOOL(WINAPI*)(LPCSTR);
using SHGetFolderPathWFunction = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
using MessageBoxWFunction = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);

struct LanguageSearch {
    WORD wanted;
    bool found;
};

BOOL CALLBACK matchLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR parameter) {
    auto* search = reinterpret_cast<LanguageSearch*>(parameter);
    if (language == search->wanted) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void restrictDllSearchToSystemDirectory() {
    // Windows 7 without its loader update lacks SetDefaultDllDirectories.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryA("");
}

PathKind Win32Platform::pathKind(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Directory : PathKind::File;
}

std::unique_ptr<InputFile> Win32Platform::openForReading(const std::string& path) {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32InputFile>(handle);
}

std::unique_ptr<OutputFile> Win32Platform::openForWriting(const std::string& path) {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32OutputFile>(handle);
}

std::string Win32Platform::currentDirectory() {
    const std::optional<std::u16string> directory =
        wideText([](wchar_t* buffer, DWORD size) { return GetCurrentDirectoryW(size, buffer); });
    return directory ? spellPath(*this, *directory).text : std::string();
}

std::optional<std::string> Win32Platform::environmentVariable(const std::string& name) {
    const std::u16string wideName(name.begin(), name.end());  // the launcher's names are ASCII
    SetLastError(ERROR_SUCCESS);
    const std::optional<std::u16string> value = wideText(
        [&](wchar_t* buffer, DWORD size) { return GetEnvironmentVariableW(asWide(wideName), buffer, size); }, 1024);
    if (!value) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::string();
    }
    return spellPathList(*this, *value);
}

std::string Win32Platform::systemDirectory() {
    char buffer[MAX_PATH + 1];
    const UINT length = GetSystemDirectoryA(buffer, sizeof(buffer));
    if (length == 0 || length >= sizeof(buffer)) return std::string();
    return std::string(buffer, length);
}

int Win32Platform::pathIsRelative(const std::string& path) {
    static SystemFunction<PathIsRelativeAFunction> pathIsRelativeA(L"shlwapi.dll", "PathIsRelativeA");
    // Without the shell's answer, the path counts as relative.
    return pathIsRelativeA.get() ? pathIsRelativeA.get()(path.c_str()) : 1;
}

CodePage Win32Platform::systemCodePage() {
    if (!codePage_) {
        CodePage codePage;
        for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
            if (IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(byte))) codePage.withLeadBytes(byte, byte);
        }
        codePage_ = codePage;
    }
    return *codePage_;
}

std::u16string Win32Platform::expandEnvironmentStrings(const std::u16string& text) {
    std::vector<wchar_t> buffer(text.size() + 256);
    for (;;) {
        const DWORD length = ExpandEnvironmentStringsW(asWide(text), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::u16string();
        // The length counts the terminator.
        if (length <= buffer.size()) return toU16(buffer.data(), length - 1);
        buffer.resize(length);
    }
}

Narrowed Win32Platform::toSystemCodePage(std::u16string_view text, bool bestFit) {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int wideLength = static_cast<int>(text.size());
    DWORD flags = bestFit ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* askUsedDefault = &usedDefault;
    int length = WideCharToMultiByte(CP_ACP, flags, wide, wideLength, nullptr, 0, nullptr, askUsedDefault);
    if (length == 0 && GetLastError() == ERROR_INVALID_PARAMETER) {
        // Where the system code page is UTF-8, it has every character, and
        // the call takes neither the flag nor the question.
        flags = 0;
        askUsedDefault = nullptr;
        length = WideCharToMultiByte(CP_ACP, 0, wide, wideLength, nullptr, 0, nullptr, nullptr);
    }
    if (length <= 0) return {std::string(), false};
    Narrowed narrowed{std::string(length, '\0'), true};
    WideCharToMultiByte(CP_ACP, flags, wide, wideLength, narrowed.text.data(), length, nullptr, askUsedDefault);
    narrowed.exact = !usedDefault;
    return narrowed;
}

std::optional<std::u16string> Win32Platform::shortPathName(const std::u16string& path) {
    return wideText([&](wchar_t* buffer, DWORD size) { return GetShortPathNameW(asWide(path), buffer, size); });
}

int Win32Platform::isUserAnAdmin() {
    // IsUserAnAdmin is CheckTokenMembership with the Administrators group;
    // asked here directly, so that no run needs shell32.dll for it.
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators)) {
        return 0;
    }
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
    FreeSid(administrators);
    return member ? 1 : 0;
}

std::optional<std::u16string> Win32Platform::specialFolder(Csidl csidl) {
    static SystemFunction<SHGetFolderPathWFunction> getFolderPath(L"shell32.dll", "SHGetFolderPathW");
    wchar_t buffer[MAX_PATH + 1] = {};
    if (getFolderPath.get() == nullptr || getFolderPath.get()(nullptr, csidl, nullptr, 0, buffer) != S_OK) {
        return std::nullopt;
    }
    return toU16(buffer, std::wcslen(buffer));
}

RegistryRead Win32Platform::readRegistryValue(RegistryHive hive, RegistryView view, const std::string& key,
                                              const std::string& valueName) {
    RegistryRead result;
    RegistryKey opened(hive == RegistryHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, key,
                       view == RegistryView::SixtyFourBit ? KEY_WOW64_64KEY : 0);
    if (opened.get() == nullptr) return result;
    result.keyOpened = true;
    const std::u16string wideName(valueName.begin(), valueName.end());  // the launcher's names are ASCII
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        // Room for a terminator after what the value holds: registry data
        // need not end with one, so it is added here.
        DWORD size = static_cast<DWORD>(buffer.size() - 1) * static_cast<DWORD>(sizeof(wchar_t));
        DWORD type = REG_NONE;
        const LONG status = RegQueryValueExW(opened.get(), asWide(wideName), nullptr, &type,
                                             reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (status == ERROR_MORE_DATA) {
            buffer.assign(size / sizeof(wchar_t) + 2, L'\0');
            continue;
        }
        result.valueFound = status != ERROR_FILE_NOT_FOUND;
        if (status != ERROR_SUCCESS) return result;
        buffer[size / sizeof(wchar_t)] = L'\0';
        result.valueRead = true;
        result.expandable = type == REG_EXPAND_SZ;
        result.data = toU16(buffer.data(), std::wcslen(buffer.data()));
        return result;
    }
}

std::uint16_t Win32Platform::userDefaultLanguage() { return GetUserDefaultLangID(); }

std::optional<std::u16string> Win32Platform::stringBlock(int blockNumber, std::uint16_t language) {
    // FindResourceEx substitutes other languages on its own; only an exact
    // match counts here, so that the launcher's own fallback decides.
    LanguageSearch search{language, false};
    EnumResourceLanguagesA(nullptr, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(blockNumber), matchLanguage,
                           reinterpret_cast<LONG_PTR>(&search));
    if (!search.found) return std::nullopt;
    HRSRC resource = FindResourceExA(nullptr, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(blockNumber), language);
    if (resource == nullptr) return std::nullopt;
    HGLOBAL loaded = LoadResource(nullptr, resource);
    const DWORD size = SizeofResource(nullptr, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr) return std::nullopt;
    return toU16(static_cast<const wchar_t*>(data), size / sizeof(wchar_t));
}

std::string Win32Platform::systemCodePageToUtf8(const std::string& text) {
    if (text.empty()) return text;
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wideLength <= 0) return text;
    std::vector<wchar_t> wide(wideLength);
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), wideLength);
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return text;
    std::string utf8(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

void Win32Platform::messageBox(const std::u16string& text, const std::u16string& title, BoxIcon icon) {
    const UINT style = MB_OK | (icon == BoxIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION);
    static SystemFunction<MessageBoxWFunction> messageBoxW(L"user32.dll", "MessageBoxW");
    if (messageBoxW.get() != nullptr) messageBoxW.get()(nullptr, asWide(text), asWide(title), style);
}

int Win32Platform::runAndWaitProcess(const std::string& program, const std::string& commandLine) {
    FileHandle process(createChild(program, commandLine));
    if (!process.valid()) return -1;
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    if (!GetExitCodeProcess(process.get(), &code)) return -1;
    return static_cast<int>(code);
}

bool Win32Platform::startProcess(const std::string& program, const std::string& commandLine) {
    FileHandle process(createChild(program, commandLine));
    return process.valid();
}

}  // namespace launcher
