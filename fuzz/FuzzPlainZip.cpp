// libFuzzer target: the plain archive reader against the zip reader, under
// the address and undefined-behaviour checks. Where both take an archive,
// they must give the same list (its name may be spelled differently where
// the stored name is not text, a NUL in it, say). The plain one may take a
// list the zip reader refuses for a fault elsewhere in the archive (another
// entry's extra field, say): its CRC has matched all the same. Anything the
// plain one leaves goes to the zip reader in the programs. Run by scripts/fuzz.sh.
#include "platform/ZipList.h"
#include "platform/ZipListPlain.h"

#include <cstdlib>
#include <string>
#include <variant>

namespace {

class Bytes : public platform::BlockReceiver
{
public:
    void expectSize(std::uint64_t) override {}
    std::span<char> room(std::size_t size) override
    {
        bytes.resize(used + size);
        return {bytes.data() + used, size};
    }
    bool received(std::size_t count) override
    {
        used += count;
        bytes.resize(used);
        return true;
    }
    std::string bytes;
    std::size_t used = 0;
};

// Small enough that a declared size cannot take the fuzzer's memory.
constexpr std::uint64_t kLimit = std::uint64_t(1) << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view archive(reinterpret_cast<const char*>(data), size);
    Bytes plain;
    std::string plainName;
    if (!platform::readPlainZipList(archive, plain, plainName, kLimit))
        return 0;
    const auto full = platform::readListFromZipBytes(archive, "fuzz.zip", kLimit);
    const auto* list = std::get_if<platform::ZipListBytes>(&full);
    if (list && list->bytes != plain.bytes)
        std::abort();
    return 0;
}
