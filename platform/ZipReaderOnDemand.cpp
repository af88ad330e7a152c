// The zip reader for the programs: libzip and what it brings (libcrypto
// among them) take longer to load than a whole export of the unzipped list,
// or a fifth of the window's start, so they are loaded only for an archive
// not laid out as plainly as the published one, or a damaged one.
#include "PrivateModule.h"

#include "SafeFileWriter.h"
#include "ZipList.h"
#ifdef DOZUZEZO_PLAIN_ZIP
#include "ZipListPlain.h"
#endif
#include "ZipReaderModule.h"

#include <cerrno>
#include <new>

namespace platform {

namespace {

constexpr const char* kReader = "dozuzezo-zip-reader";

struct Context
{
    BlockReceiver& receiver;
    std::string& entry;
    std::string errorEntry;
    std::string other;
    bool outOfMemory = false;
};

// The receiver may throw (no memory); nothing may be thrown into the module,
// so that is noted here and thrown again once the module has returned.
template <typename Call>
auto noting(void* c, Call call, decltype(call()) otherwise)
{
    auto* context = static_cast<Context*>(c);
    try {
        return context->outOfMemory ? otherwise : call();
    } catch (const std::bad_alloc&) {
        context->outOfMemory = true;
        return otherwise;
    }
}

DozuzezoZipSink sinkFor(Context& context)
{
    return {
        &context,
        [](void* c, std::uint64_t size) {
            noting(c, [&] { return static_cast<Context*>(c)->receiver.expectSize(size), true; }, false);
        },
        [](void* c, std::size_t size) {
            return noting(c, [&] { return static_cast<Context*>(c)->receiver.room(size).data(); }, nullptr);
        },
        [](void* c, std::size_t count) {
            return noting(c, [&] { return static_cast<Context*>(c)->receiver.received(count) ? 1 : 0; }, 0);
        },
        [](void* c, const char* listName, const char* entry, const char* other) {
            auto* context = static_cast<Context*>(c);
            context->entry = listName;
            context->errorEntry = entry;
            context->other = other;
        },
    };
}


// Calls the module's function `name` with the sink and the failure to fill;
// `archive` names the archive in errors.
template <typename Function, typename Call>
std::optional<ZipError> throughModule(const char* name, const std::filesystem::path& archive,
                                      BlockReceiver& receiver, std::string& entryName, Call call)
{
    entryName.clear();
    std::string loadError;
    const auto function = reinterpret_cast<Function>(privateFunction(kReader, name, loadError));
    if (!function) {
        ZipError error{ZipError::Kind::ReaderMissing, archive};
        error.detail = loadError;
        return error;
    }
    Context context{receiver, entryName, {}, {}};
    const DozuzezoZipSink sink = sinkFor(context);
    DozuzezoZipFailure failure{};
    const int refused = call(function, &sink, &failure);
    // No memory on either side of the module: ENOMEM is how it says so.
    if (context.outOfMemory ||
        (refused && failure.kind == int(ZipError::Kind::CannotOpen) && failure.sysError == ENOMEM))
        throw std::bad_alloc();
    if (!refused)
        return std::nullopt;
    ZipError error{static_cast<ZipError::Kind>(failure.kind), archive};
    error.entry = context.errorEntry;
    error.otherEntry = context.other;
    error.size = failure.size;
    error.method = failure.method;
    error.sysError = failure.sysError;
    return error;
}

} // namespace

std::optional<ZipError> readListFromZip(const std::filesystem::path& path, BlockReceiver& receiver,
                                        std::string& entryName, std::uint64_t limit)
{
#ifdef DOZUZEZO_PLAIN_ZIP
    if (readPlainZipListFile(path, receiver, entryName, limit))
        return std::nullopt;
#endif
    return throughModule<DozuzezoReadZipList>(
        kZipReaderFunction, path, receiver, entryName, [&](auto read, auto sink, auto failure) {
            return read(pathText(path).c_str(), limit, sink, failure);
        });
}

std::optional<ZipError> readListFromZipBytes(std::string_view archive, const std::filesystem::path& shownAs,
                                             BlockReceiver& receiver, std::string& entryName,
                                             std::uint64_t limit)
{
#ifdef DOZUZEZO_PLAIN_ZIP
    if (readPlainZipList(archive, receiver, entryName, limit))
        return std::nullopt;
#endif
    return throughModule<DozuzezoReadZipListBytes>(
        kZipBytesReaderFunction, shownAs, receiver, entryName, [&](auto read, auto sink, auto failure) {
            return read(archive.data(), archive.size(), limit, sink, failure);
        });
}

} // namespace platform
