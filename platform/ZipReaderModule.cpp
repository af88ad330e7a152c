// The zip reader's entry point when it is loaded as a module.
#include "ZipList.h"
#include "ZipReaderModule.h"

#include <cerrno>
#include <new>

namespace {

class SinkReceiver : public platform::BlockReceiver
{
public:
    explicit SinkReceiver(const DozuzezoZipSink& sink) : sink_(sink) {}
    void expectSize(std::uint64_t size) override { sink_.expectSize(sink_.context, size); }
    std::span<char> room(std::size_t size) override
    {
        char* p = sink_.room(sink_.context, size);
        if (!p)
            throw std::bad_alloc();
        return {p, size};
    }
    bool received(std::size_t count) override { return sink_.received(sink_.context, count) != 0; }

private:
    const DozuzezoZipSink& sink_;
};

} // namespace

#ifdef _WIN32
#define READER_EXPORT __declspec(dllexport)
#else
#define READER_EXPORT __attribute__((visibility("default")))
#endif

namespace {

// Runs a read, and hands its outcome across in plain C.
template <typename Read>
int report(const std::filesystem::path& archive, const DozuzezoZipSink* sink, DozuzezoZipFailure* failure,
           Read read)
{
    SinkReceiver receiver(*sink);
    std::string entry;
    std::optional<platform::ZipError> error;
    try {
        error = read(receiver, entry);
    } catch (const std::bad_alloc&) {
        error = platform::ZipError{platform::ZipError::Kind::CannotOpen, archive};
        error->sysError = ENOMEM;
    }
    if (!error) {
        sink->entryNames(sink->context, entry.c_str(), "", "");
        return 0;
    }
    sink->entryNames(sink->context, entry.c_str(), error->entry.c_str(), error->otherEntry.c_str());
    *failure = {static_cast<int>(error->kind), error->size, error->method, error->sysError};
    return 1;
}

} // namespace

extern "C" READER_EXPORT int dozuzezo_read_zip_list(const char* utf8Path, std::uint64_t limit,
                                                    const DozuzezoZipSink* sink, DozuzezoZipFailure* failure)
{
    const std::filesystem::path path(std::u8string(reinterpret_cast<const char8_t*>(utf8Path)));
    return report(path, sink, failure, [&](platform::BlockReceiver& receiver, std::string& entry) {
        return platform::readListFromZip(path, receiver, entry, limit);
    });
}

extern "C" READER_EXPORT int dozuzezo_read_zip_list_bytes(const char* archive, std::size_t size,
                                                          std::uint64_t limit, const DozuzezoZipSink* sink,
                                                          DozuzezoZipFailure* failure)
{
    return report({}, sink, failure, [&](platform::BlockReceiver& receiver, std::string& entry) {
        return platform::readListFromZipBytes(std::string_view(archive, size), {}, receiver, entry, limit);
    });
}
