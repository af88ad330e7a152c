// The zip reader for the command-line export: libzip and what it brings
// (libcrypto among them) take longer to load than a whole export of the
// unzipped list, so they are loaded only when an archive is read.
#include "PrivateModule.h"

#include "platform/SafeFileWriter.h"
#include "platform/ZipList.h"
#include "platform/ZipReaderModule.h"

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
};

// The receiver may throw (no memory); nothing may be thrown into the module.
DozuzezoZipSink sinkFor(Context& context)
{
    return {
        &context,
        [](void* c, std::uint64_t size) { static_cast<Context*>(c)->receiver.expectSize(size); },
        [](void* c, std::size_t size) -> char* {
            try {
                return static_cast<Context*>(c)->receiver.room(size).data();
            } catch (const std::bad_alloc&) {
                return nullptr;
            }
        },
        [](void* c, std::size_t count) { return static_cast<Context*>(c)->receiver.received(count) ? 1 : 0; },
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
    if (read(pathText(path).c_str(), limit, &sink, &failure) == 0)
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
