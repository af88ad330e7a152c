#include "ListFetch.h"

#include "Startup.h"
#include "platform/FileSystem.h"
#include "platform/SafeFileWriter.h"
#include "platform/ZipList.h"

#include <new>
#include <system_error>
#include <variant>

namespace state {

namespace {

// Size and modification time: what changes when anything writes the file.
std::string fileStamp(const std::filesystem::path& file)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec)
        return {};
    const auto time = std::filesystem::last_write_time(file, ec);
    if (ec)
        return {};
    return std::to_string(size) + " " + std::to_string(time.time_since_epoch().count());
}

void keep(Settings& settings, Setting setting, const std::string& text)
{
    if (settings.text(setting) != text)
        settings.write(setting, text);
}

} // namespace

ListValidators fetchValidators(const SettingCopies& copies)
{
    const std::string& fetched = copies.text(Setting::ListFetched);
    if (fetched.empty() || fileStamp(fetchTarget(copies).file) != fetched)
        return {};
    return {copies.text(Setting::ListETag), copies.text(Setting::ListLastModified)};
}

FetchTarget fetchTarget(const SettingCopies& copies)
{
    const std::filesystem::path folder = pathFromText(copies.text(Setting::FolderName));
    const platform::FoundFile found =
        platform::findList(folder, pathFromText(copies.text(Setting::YubinFile)));
    if (!found.found)
        return {folder / platform::kPublishedArchive, true};
    return {found.path, found.archive || platform::looksLikeZip(found.path)};
}

std::string prepareFetchFolder(const SettingCopies& copies,
                               const std::filesystem::path& programFolder)
{
    const std::filesystem::path folder = pathFromText(copies.text(Setting::FolderName));
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec))
        return {};
    platform::WriteError error{platform::WriteError::Kind::FolderMissing, 0, folder, folder};
    if (std::filesystem::exists(folder, ec)) {
        error.kind = platform::WriteError::Kind::NotAFolder;
    } else if (folder.lexically_normal() == programFolder.lexically_normal()) {
        std::filesystem::create_directories(folder, ec);
        if (!ec)
            return {};
        error = {platform::WriteError::Kind::CreateFailed, ec.value(), folder, folder};
    }
    return error.reason();
}

FetchInstall installFetchedList(std::string_view archive, const std::string& shownAs,
                                const ListValidators& received, Settings& settings)
{
    FetchInstall result;
    std::variant<platform::ZipListBytes, platform::ZipError> read;
    try {
        read = platform::readListFromZipBytes(archive, pathFromText(shownAs));
    } catch (const std::bad_alloc&) {
        result.problem = "一覧「" + shownAs + "」を読み込めません: メモリが不足しています。";
        return result;
    }
    if (auto* error = std::get_if<platform::ZipError>(&read)) {
        result.problem = error->message();
        return result;
    }
    auto& unpacked = std::get<platform::ZipListBytes>(read);
    result.entry = unpacked.entryName;
    postal::LoadResult parsed = postal::PostalList::parse(unpacked.bytes);
    if (!parsed.list) {
        result.problem = "一覧「" + shownAs + "」の「" + result.entry + "」を読み込めません: " +
                         parsed.error.value_or(postal::LoadError{}).message();
        return result;
    }

    const FetchTarget target = fetchTarget(settings.copies());
    result.file = target.file;
    const std::string_view bytes = target.archive ? archive : std::string_view(unpacked.bytes);
    platform::SafeFileWriter writer;
    std::optional<platform::WriteError> failed = writer.open(target.file);
    if (!failed) {
        writer.write(bytes); // a refused write is reported by commit()
        failed = writer.commit();
    }
    if (failed) {
        result.outcome = FetchInstall::Outcome::NotStored;
        result.problem = failed->reason();
        return result;
    }
    result.outcome = FetchInstall::Outcome::Stored;
    result.list = std::move(parsed.list);
    if (!target.archive)
        result.entry.clear();
    keep(settings, Setting::ListETag, received.etag);
    keep(settings, Setting::ListLastModified, received.lastModified);
    keep(settings, Setting::ListFetched, fileStamp(target.file));
    return result;
}

} // namespace state
