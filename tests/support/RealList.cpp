#include "RealList.h"

#include "TempDir.h"

#include <cstdlib>
#include <memory>

namespace testsupport {

std::optional<std::filesystem::path> realList(std::string* whyMissing)
{
    static std::unique_ptr<TempDir> dir;
    static std::optional<std::filesystem::path> list;
    static std::string why;
    static bool tried = false;
    if (!tried) {
        tried = true;
        const std::filesystem::path zip = DOZUZEZO_REAL_LIST_ZIP;
        // Unzipped beforehand where the tests cannot run cmake (under Wine).
        const char* unzipped = std::getenv("DOZUZEZO_REAL_LIST_CSV");
        std::error_code ec;
        if (unzipped && *unzipped) {
            list = unzipped;
            if (!std::filesystem::is_regular_file(*list, ec)) {
                why = std::string("DOZUZEZO_REAL_LIST_CSV names no file: ") + unzipped;
                list.reset();
            }
        } else if (!std::filesystem::exists(zip, ec)) {
            why = "the published list " + zip.string() + " is not on this machine";
        } else {
            dir = std::make_unique<TempDir>();
            const std::string command = std::string("cd '") + dir->path().string() + "' && '" +
                                        DOZUZEZO_CMAKE_COMMAND + "' -E tar xf '" + zip.string() + "'";
            if (std::system(command.c_str()) != 0 || !std::filesystem::exists(dir->path() / "KEN_ALL.CSV"))
                why = "could not unzip " + zip.string();
            else
                list = dir->path() / "KEN_ALL.CSV";
        }
    }
    if (whyMissing)
        *whyMissing = why;
    return list;
}

} // namespace testsupport
