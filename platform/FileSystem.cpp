#include "FileSystem.h"

#include "SafeFileWriter.h"

#include <algorithm>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

bool isPlainFile(const std::filesystem::path& path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
        return false;
#endif
    return true;
}

std::filesystem::path programFolder()
{
#ifdef _WIN32
    wchar_t buffer[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    std::filesystem::path exe(std::wstring(buffer, n));
#else
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::filesystem::current_path();
#endif
    return exe.parent_path();
}

namespace {

bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    if (folder.empty())
        return false;
    auto [end, at] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    return end == folder.end();
}

} // namespace

bool isUsersOwnFolder(const std::filesystem::path& folder)
{
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(folder, ec);
    if (ec || !std::filesystem::is_directory(real, ec))
        return false;
#ifdef _WIN32
    for (const wchar_t* name :
         {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432", L"SystemRoot"}) {
        wchar_t value[MAX_PATH];
        const DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
        if (n > 0 && n < MAX_PATH &&
            isInside(real, std::filesystem::canonical(std::wstring(value, n), ec)))
            return false;
    }
    // Access lists decide, not attributes: try what a save would do.
    const std::filesystem::path probe = real / L".dozuzezo-write-test";
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
#else
    for (const char* system :
         {"/usr", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32", "/opt", "/snap"})
        if (isInside(real, system))
            return false;
    // Another user's folder is not ours even where we may write it (a shared group).
    struct stat st
    {
    };
    return ::stat(real.c_str(), &st) == 0 && st.st_uid == ::geteuid() &&
           ::faccessat(AT_FDCWD, real.c_str(), W_OK, AT_EACCESS) == 0;
#endif
}

namespace {

std::string foldCase(const std::filesystem::path& name)
{
    std::string text = pathText(name);
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

FoundFile findFileIgnoringCase(const std::filesystem::path& folder, const std::filesystem::path& name)
{
    FoundFile result;
    result.path = folder / name;
    if (isPlainFile(result.path)) {
        result.found = true;
#ifdef _WIN32
        // Found without regard to case: named as the folder spells it
        // (KEN_ALL.CSV for ken_all.csv), as messages name the file read.
        WIN32_FIND_DATAW data;
        const HANDLE find = FindFirstFileW(result.path.c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            FindClose(find);
            result.path = folder / data.cFileName;
        }
#endif
        return result;
    }
    const std::string wanted = foldCase(name);
    std::vector<std::filesystem::path> matches;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::filesystem::path entry = folder / it->path().filename();
        if (foldCase(entry.filename()) == wanted && isPlainFile(entry))
            matches.push_back(entry);
    }
    if (matches.empty())
        return result;
    std::sort(matches.begin(), matches.end(), [](const auto& a, const auto& b) {
        return a.filename().native() < b.filename().native();
    });
    result.path = matches.front();
    result.found = true;
    result.alsoMatching.assign(matches.begin() + 1, matches.end());
    return result;
}

namespace {

FoundFile listOrArchive(const std::filesystem::path& folder, const std::filesystem::path& name,
                        const std::filesystem::path& archiveName)
{
    FoundFile list = findFileIgnoringCase(folder, name);
    if (list.found)
        return list;
    FoundFile archive = findFileIgnoringCase(folder, archiveName);
    if (!archive.found)
        return list;
    archive.archive = true;
    return archive;
}

} // namespace

FoundFile findList(const std::filesystem::path& folder, const std::filesystem::path& name)
{
    return listOrArchive(folder, name, kPublishedArchive);
}

FoundFile findBusinessList(const std::filesystem::path& folder)
{
    return listOrArchive(folder, kBusinessList, kBusinessArchive);
}

std::string caseChoiceNote(const FoundFile& found)
{
    if (found.alsoMatching.empty())
        return {};
    std::string others;
    for (const auto& p : found.alsoMatching)
        others += "「" + pathText(p.filename()) + "」";
    return "大文字と小文字だけが違う一覧が複数あるため、「" + pathText(found.path.filename()) +
           "」を読み込みます（ほかに " + others + "）。";
}

} // namespace platform
