#include "System.h"

#include "TempDir.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace testsupport {

namespace {

std::wstring wide(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())).native();
}

// One argument as the C runtime splits a command line again.
std::wstring quoted(const std::wstring& arg)
{
    std::wstring out = L"\"";
    std::size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? 2 * slashes + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(2 * slashes, L'\\');
    return out + L"\"";
}

HANDLE inheritable(const std::filesystem::path& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

void makeReadOnly(const std::filesystem::path& file)
{
    SetFileAttributesW(file.c_str(), GetFileAttributesW(file.c_str()) | FILE_ATTRIBUTE_READONLY);
}

bool makeSymlink(const std::filesystem::path& target, const std::filesystem::path& link)
{
    constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    // Wine says yes and makes nothing: the link must be there.
    return CreateSymbolicLinkW(link.c_str(), target.c_str(), kUnprivileged) &&
           GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}

HeldOpen::HeldOpen(const std::filesystem::path& file)
    : handle_(CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr))
{
}
HeldOpen::~HeldOpen()
{
    if (held())
        CloseHandle(handle_);
}
bool HeldOpen::held() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

std::filesystem::path folderElsewhere(std::string& whyNone)
{
    // Under Wine, drive Z: is Linux's root, and /dev/shm a file system of its own.
    const auto wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
    const std::filesystem::path shm = L"Z:\\dev\\shm";
    if (!wine || GetFileAttributesW(shm.c_str()) == INVALID_FILE_ATTRIBUTES) {
        whyNone = "no second volume is known here";
        return {};
    }
    for (unsigned n = GetTickCount();; ++n) {
        const std::filesystem::path folder = shm / ("dozuzezo-test-" + std::to_string(n));
        if (CreateDirectoryW(folder.c_str(), nullptr))
            return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            whyNone = "cannot make a folder in Z:\\dev\\shm";
            return {};
        }
    }
}

// NUL itself: nothing can replace it, and it takes every byte.
std::filesystem::path makeDevice(const TempDir&, std::string_view name) { return name == "null" ? "NUL" : ""; }
const char* const kNoDevice = "Windows has no device files a test can make";

bool makeFifo(const std::filesystem::path&) { return false; }

UrlScheme::UrlScheme(const std::string& scheme, const std::string& commandLine) : scheme_(scheme)
{
    // Written through the merged view: the user's own classes on Windows.
    const std::wstring key = wide(scheme);
    const std::wstring command = wide(commandLine), none;
    const auto set = [](const std::wstring& subkey, const wchar_t* name, const std::wstring& value) {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, subkey.c_str(), name, REG_SZ, value.c_str(),
                        DWORD((value.size() + 1) * sizeof(wchar_t)));
    };
    set(key, nullptr, L"URL:" + wide(scheme));
    set(key, L"URL Protocol", none);
    set(key + L"\\shell\\open\\command", nullptr, command);
}

UrlScheme::~UrlScheme()
{
    RegDeleteTreeW(HKEY_CLASSES_ROOT, wide(scheme_).c_str());
}

void endIfHung(unsigned seconds)
{
    static const PTP_TIMER timer = CreateThreadpoolTimer(
        [](PTP_CALLBACK_INSTANCE, PVOID, PTP_TIMER) {
            std::fputs("hung: ended\n", stderr);
            ExitProcess(124);
        },
        nullptr, nullptr);
    if (seconds == 0) {
        SetThreadpoolTimer(timer, nullptr, 0, 0);
        return;
    }
    ULARGE_INTEGER due;
    due.QuadPart = static_cast<ULONGLONG>(-10'000'000LL * seconds); // relative, in 100 ns
    FILETIME when{due.LowPart, due.HighPart};
    SetThreadpoolTimer(timer, &when, 0, 0);
}

std::filesystem::path makeSocket(const TempDir&, std::string_view) { return {}; }

bool refuseThreads(bool) { return false; }

std::optional<Outcome> underAFileSizeLimit(long, const std::function<Outcome()>&) { return std::nullopt; }

ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                      const std::filesystem::path& folder, const std::vector<std::string>& environment)
{
    TempDir outputs;
    const std::filesystem::path out = outputs / "out", err = outputs / "err";
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
    start.hStdOutput = inheritable(out, GENERIC_WRITE, CREATE_ALWAYS);
    start.hStdError = inheritable(err, GENERIC_WRITE, CREATE_ALWAYS);

    std::wstring commandLine = quoted(program.native());
    for (const std::string& arg : args)
        commandLine += L" " + quoted(wide(arg));
    std::wstring block;
    for (const std::string& e : environment)
        block += wide(e) + L'\0';
    wchar_t* inherited = GetEnvironmentStringsW();
    for (const wchar_t* e = inherited; *e; e += std::wcslen(e) + 1)
        block += std::wstring(e) + L'\0';
    FreeEnvironmentStringsW(inherited);
    block += L'\0';

    ProgramRun run;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                       block.data(), folder.c_str(), &start, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        run.status = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (HANDLE h : {start.hStdInput, start.hStdOutput, start.hStdError})
        CloseHandle(h);
    run.out = readFile(out);
    run.err = readFile(err);
    return run;
}

} // namespace testsupport
