#include "ListFetch.h"

#include "Startup.h"
#include "platform/FileSystem.h"
#include "platform/SafeFileWriter.h"
#include "platform/ZipList.h"

#include <algorithm>
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

// Each list's own rows: its address and its last fetch's validators.
struct FetchSettings
{
    Setting url, etag, lastModified, fetched;
};

FetchSettings settingsOf(FetchedList which)
{
    if (which == FetchedList::Business)
        return {Setting::JigyosyoUrl, Setting::JigyosyoETag, Setting::JigyosyoLastModified,
                Setting::JigyosyoFetched};
    return {Setting::ListUrl, Setting::ListETag, Setting::ListLastModified, Setting::ListFetched};
}

platform::FoundFile foundBusinessList(const SettingCopies& copies)
{
    return platform::findBusinessList(pathFromText(copies.text(Setting::FolderName)));
}

} // namespace

ListValidators fetchValidators(const SettingCopies& copies, FetchedList which)
{
    const FetchSettings rows = settingsOf(which);
    const std::string& fetched = copies.text(rows.fetched);
    if (fetched.empty() || fileStamp(fetchTarget(copies, which).file) != fetched)
        return {};
    return {copies.text(rows.etag), copies.text(rows.lastModified)};
}

const std::string& fetchUrl(const SettingCopies& copies, FetchedList which)
{
    return copies.text(settingsOf(which).url);
}

FetchTarget fetchTarget(const SettingCopies& copies, FetchedList which)
{
    const std::filesystem::path folder = pathFromText(copies.text(Setting::FolderName));
    const bool business = which == FetchedList::Business;
    const platform::FoundFile found =
        business ? foundBusinessList(copies)
                 : platform::findList(folder, pathFromText(copies.text(Setting::YubinFile)));
    if (!found.found)
        return {folder / (business ? platform::kBusinessArchive : platform::kPublishedArchive),
                true};
    return {found.path, found.archive || platform::looksLikeZip(found.path)};
}

bool holdsBusinessList(const SettingCopies& copies)
{
    return foundBusinessList(copies).found;
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
                                const ListValidators& received, Settings& settings,
                                FetchedList which)
{
    FetchInstall result;
    const std::string noMemory =
        "一覧「" + shownAs + "」を読み込めません: メモリが不足しています。";
    std::variant<platform::ZipListBytes, platform::ZipError> read;
    try {
        read = platform::readListFromZipBytes(archive, pathFromText(shownAs));
    } catch (const std::bad_alloc&) {
        result.problem = noMemory;
        return result;
    }
    if (auto* error = std::get_if<platform::ZipError>(&read)) {
        result.problem = error->message();
        return result;
    }
    auto& unpacked = std::get<platform::ZipListBytes>(read);
    result.entry = unpacked.entryName;
    postal::LoadResult parsed;
    postal::BusinessList business;
    std::string_view listBytes = unpacked.bytes;
    if (which == FetchedList::Business) {
        parsed.error = postal::parseBusinessList(unpacked.bytes, business);
        listBytes = std::string_view(business.bytes.get(), business.size);
    } else {
        parsed = postal::PostalList::parse(unpacked.bytes);
    }
    if (parsed.error || (which == FetchedList::Nationwide && !parsed.list)) {
        result.problem = "一覧「" + shownAs + "」の「" + result.entry + "」を読み込めません: " +
                         parsed.error.value_or(postal::LoadError{}).message();
        return result;
    }

    const FetchTarget target = fetchTarget(settings.copies(), which);
    result.file = target.file;
    const std::string_view bytes = target.archive ? archive : listBytes;
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
    if (which == FetchedList::Business)
        result.businessRows = std::size_t(std::count(listBytes.begin(), listBytes.end(), '\n'));
    if (!target.archive)
        result.entry.clear();
    const FetchSettings rows = settingsOf(which);
    keep(settings, rows.etag, received.etag);
    keep(settings, rows.lastModified, received.lastModified);
    keep(settings, rows.fetched, fileStamp(target.file));
    return result;
}

} // namespace state
