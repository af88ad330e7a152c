// The zip reader for the command-line export: libzip and what it brings
// (libcrypto among them) take longer to load than a whole export of the
// unzipped list, so they are loaded only when an archive is read.
#include "PrivateModule.h"

#include "platform/SafeFileWriter.h"
#include "platform/ZipList.h"
#include "platform/ZipReaderModule.h"

#include <cerrno>
#include <new>

namespace platform {

namespace {

#ifdef _WIN32
constexpr const char* kReader = "dozuzezo-zip-reader.dll";
#else
constexpr const char* kReader = "libdozuzezo-zip-reader.so";
#endif

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

} // namespace

std::optional<ZipError> readListFromZip(const std::filesystem::path& path, BlockReceiver& receiver,
                                        std::string& entryName, std::uint64_t limit)
{
    entryName.clear();
    // Loaded once, kept for the life of the process.
    static std::string loadError;
    static const auto read =
        reinterpret_cast<DozuzezoReadZipList>(cli::privateFunction(kReader, kZipReaderFunction, loadError));
    if (!read) {
        ZipError error{ZipError::Kind::ReaderMissing, path};
        error.detail = loadError;
        return error;
    }
    Context context{receiver, entryName, {}, {}};
    const DozuzezoZipSink sink = sinkFor(context);
    DozuzezoZipFailure failure{};
    const int refused = read(pathText(path).c_str(), limit, &sink, &failure);
    // No memory on either side of the module: ENOMEM is how it says so.
    if (context.outOfMemory ||
        (refused && failure.kind == int(ZipError::Kind::CannotOpen) && failure.sysError == ENOMEM))
        throw std::bad_alloc();
    if (!refused)
        return std::nullopt;
    ZipError error{static_cast<ZipError::Kind>(failure.kind), path};
    error.entry = context.errorEntry;
    error.otherEntry = context.other;
    error.size = failure.size;
    error.method = failure.method;
    error.sysError = failure.sysError;
    return error;
}

} // namespace platform
