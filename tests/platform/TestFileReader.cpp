// Reading brings a file into memory with ordinary reads, stops early, and
// refuses a file changed meanwhile.
#include "platform/FileReader.h"
#include "postal/PostalList.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using platform::ReadError;
using testsupport::TempDir;

namespace {

class CountingReceiver : public platform::BlockReceiver
{
public:
    void expectSize(std::uint64_t size) override { expected = size; }
    std::span<char> room(std::size_t size) override { return buffer.resize(size), buffer; }
    bool received(std::size_t count) override
    {
        const auto once = std::exchange(change, nullptr);
        if (once)
            once();
        return total += count, !(once && refuse);
    }
    std::function<void()> change; // done once, after the first block
    bool refuse = false;          // then stops, as the list reader stops at a damaged line
    std::vector<char> buffer;
    std::uint64_t expected = 0;
    std::uint64_t total = 0;
};

// A plain file changed while it is read, between two blocks, however it
// changed: refused as changed, also where what was read made the receiver
// stop (not a damaged list but a changed one). Left alone, or where the
// system refused the change (Windows lets no file be renamed over one being
// read), it is read whole.
TEST(FileReader, AFileChangedWhileReadIsRefused)
{
    const std::string bytes(300'000, 'x'); // more than the first block
    using Change =
        std::function<bool(const fs::path&, std::error_code&)>; // false: the system refused it
    // clang-format off
    const std::pair<const char*, Change> changes[] = {
        {"left alone", [](const fs::path&, std::error_code&) { return false; }},
        {"cut short", [](const fs::path& p, std::error_code& ec) { return fs::resize_file(p, 1000, ec), !ec; }},
        {"grown", [](const fs::path& p, auto&) { return bool(std::ofstream(p, std::ios::binary | std::ios::app) << 'x'); }},
        {"rewritten, same size",
         [](const fs::path& p, auto&) { return bool(std::fstream(p, std::ios::binary | std::ios::in | std::ios::out) << 'y'); }},
        {"another file renamed over it",
         [](const fs::path& p, std::error_code& ec) { return fs::rename(p.parent_path() / "other", p, ec), !ec; }},
    };
    // clang-format on
    for (const auto& [what, change] : changes)
        for (const bool refuse : {false, true}) {
            TempDir dir;
            for (const char* name : {"list.csv", "other"}) {
                testsupport::writeFile(dir / name, bytes);
                // Both long unchanged: any change is seen in the times too.
                fs::last_write_time(dir / name,
                                    fs::last_write_time(dir / name) - std::chrono::hours(24 * 365));
            }
            CountingReceiver receiver;
            receiver.refuse = refuse;
            bool changed = false;
            std::error_code ec;
            receiver.change = [&, change = change] { changed = change(dir / "list.csv", ec); };
            const auto error =
                platform::readFile(dir / "list.csv", postal::kMaxListBytes, receiver);
            EXPECT_EQ(error ? std::optional(error->kind) : std::nullopt,
                      changed ? std::optional(ReadError::Kind::Changed) : std::nullopt)
                << what << refuse;
            EXPECT_TRUE(changed || refuse || receiver.total == bytes.size()) << what;
        }
}

// Up to the limit read, one byte more refused: a plain file from its size,
// a pipe cut off as it comes.
TEST(FileReader, TheLimitIsReadAndNoMore)
{
    TempDir dir;
    for (const std::size_t size : {100, 101}) {
        const std::string bytes(size, 'x');
        testsupport::writeFile(dir / "list.csv", bytes);
        std::vector<fs::path> paths{dir / "list.csv"};
#ifndef _WIN32
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        EXPECT_EQ(::write(ends[1], bytes.data(), size), ssize_t(size));
        ::close(ends[1]);
        paths.push_back("/dev/fd/" + std::to_string(ends[0]));
#endif
        for (const fs::path& path : paths) {
            CountingReceiver receiver;
            const auto error = platform::readFile(path, 100, receiver);
            EXPECT_EQ(error ? std::optional(error->kind) : std::nullopt,
                      size > 100 ? std::optional(ReadError::Kind::TooLarge) : std::nullopt);
            EXPECT_EQ(receiver.total, size > 100 ? 0 : size) << path;
        }
#ifndef _WIN32
        ::close(ends[0]);
#endif
    }
}

// A sparse file of the given size, first byte `first`: no disk used.
fs::path sparse(const TempDir& dir, char first, std::uint64_t size)
{
    const fs::path path = dir / "sparse.csv";
    std::ofstream(path).put(first);
    fs::resize_file(path, size);
    return path;
}

// /dev/zero and a big sparse file of zeros: a NUL on line 1, known from
// the first block; the rest is never read.
TEST(FileReader, NotAListIsRefusedAfterTheFirstBlock)
{
    if (!fs::exists("/proc/self/io") || !fs::exists("/dev/zero"))
        GTEST_SKIP() << "counts the bytes read as Linux's /proc/self/io tells them, and reads /dev/zero";
    // Bytes this process has read through read() so far.
    const auto bytesRead = [] {
        std::ifstream io("/proc/self/io");
        std::string key;
        std::uint64_t value = 0;
        while (io >> key >> value && key != "rchar:") {
        }
        return value;
    };
    TempDir dir;
    for (const fs::path& path : {fs::path("/dev/zero"), sparse(dir, '\0', std::uint64_t(900) << 20)}) {
        const std::uint64_t before = bytesRead();
        const auto result = postal::PostalList::load(path);
        const std::uint64_t read = bytesRead() - before;
        ASSERT_FALSE(result) << path;
        EXPECT_EQ(result.error->kind, postal::LoadError::Kind::NulByte) << path;
        EXPECT_EQ(result.error->line, 1u);
        EXPECT_LE(read, platform::kFirstBlock + 4096) << path; // and /proc/self/io itself
    }
}

} // namespace
