#include "RealList.h"

#include "TempDir.h"

#include <cstdlib>
#include <memory>

namespace testsupport {

namespace {

struct Unzipped
{
    std::unique_ptr<TempDir> dir;
    std::optional<std::filesystem::path> list;
    std::string why;
};

// `csv` out of `zip`, once per test process.
Unzipped unzipOnce(const std::filesystem::path& zip, const char* csv, const char* variable)
{
    Unzipped u;
    // Unzipped beforehand where the tests cannot run cmake (under Wine).
    const char* unzipped = std::getenv(variable);
    std::error_code ec;
    if (unzipped && *unzipped) {
        u.list = unzipped;
        if (!std::filesystem::is_regular_file(*u.list, ec)) {
            u.why = std::string(variable) + " names no file: " + unzipped;
            u.list.reset();
        }
    } else if (!std::filesystem::exists(zip, ec)) {
        u.why = "the published list " + zip.string() + " is not on this machine";
    } else {
        u.dir = std::make_unique<TempDir>();
        const std::string command = std::string("cd '") + u.dir->path().string() + "' && '" +
                                    DOZUZEZO_CMAKE_COMMAND + "' -E tar xf '" + zip.string() + "'";
        if (std::system(command.c_str()) != 0 || !std::filesystem::exists(u.dir->path() / csv))
            u.why = "could not unzip " + zip.string();
        else
            u.list = u.dir->path() / csv;
    }
    return u;
}

std::optional<std::filesystem::path> found(const Unzipped& u, std::string* whyMissing)
{
    if (whyMissing)
        *whyMissing = u.why;
    return u.list;
}

} // namespace

std::optional<std::filesystem::path> realList(std::string* whyMissing)
{
    static const Unzipped u = unzipOnce(DOZUZEZO_REAL_LIST_ZIP, "KEN_ALL.CSV", "DOZUZEZO_REAL_LIST_CSV");
    return found(u, whyMissing);
}

std::optional<std::filesystem::path> realBusinessList(std::string* whyMissing)
{
    static const Unzipped u =
        unzipOnce(DOZUZEZO_REAL_BUSINESS_ZIP, "JIGYOSYO.CSV", "DOZUZEZO_REAL_BUSINESS_CSV");
    return found(u, whyMissing);
}

std::optional<std::filesystem::path> realBusinessZip(std::string* whyMissing)
{
    const std::filesystem::path zip = DOZUZEZO_REAL_BUSINESS_ZIP;
    std::error_code ec;
    if (std::filesystem::is_regular_file(zip, ec))
        return zip;
    if (whyMissing)
        *whyMissing = "the published list " + zip.string() + " is not on this machine";
    return std::nullopt;
}

} // namespace testsupport
