// Reading brings a file into memory with ordinary reads, and stops early.
#include "platform/FileReader.h"
#include "postal/PostalList.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::ReadError;
using testsupport::TempDir;

namespace {

class CountingReceiver : public platform::BlockReceiver
{
public:
    void expectSize(std::uint64_t size) override { expected = size; }
    std::span<char> room(std::size_t size) override { return buffer.resize(size), buffer; }
    bool received(std::size_t count) override { return total += count, true; }
    std::vector<char> buffer;
    std::uint64_t expected = 0;
    std::uint64_t total = 0;
};

// A plain file changed while it is read, between two blocks, however it
// changed: refused. Left alone, it is read whole.
TEST(FileReader, AFileChangedWhileReadIsRefused)
{
    const std::string bytes(300'000, 'x'); // more than the first block
    const std::pair<const char*, std::function<void(const fs::path&)>> changes[] = {
        {"left alone", [](const fs::path&) {}},
        {"cut short", [](const fs::path& p) { fs::resize_file(p, 1000); }},
        {"grown", [](const fs::path& p) { std::ofstream(p, std::ios::app) << 'x'; }},
        {"rewritten, same size", [](const fs::path& p) { std::fstream(p, std::ios::in | std::ios::out) << 'y'; }},
        {"another file renamed over it", [](const fs::path& p) { fs::rename(p.parent_path() / "other", p); }},
    };
    for (const auto& [what, change] : changes) {
        TempDir dir;
        for (const char* name : {"list.csv", "other"}) {
            testsupport::writeFile(dir / name, bytes);
            // Both as old as can be: any change is seen in the times too.
            const timespec times[2] = {{1000, 0}, {1000, 0}};
            ::utimensat(AT_FDCWD, (dir / name).c_str(), times, 0);
        }
        struct Changing : CountingReceiver
        {
            std::function<void()> change;
            bool received(std::size_t count) override
            {
                if (const auto once = std::exchange(change, nullptr))
                    once();
                return CountingReceiver::received(count);
            }
        } receiver;
        receiver.change = [&, change = change] { change(dir / "list.csv"); };
        const auto error = platform::readFile(dir / "list.csv", postal::kMaxListBytes, receiver);
        if (std::string(what) == "left alone") {
            EXPECT_FALSE(error);
            EXPECT_EQ(receiver.total, bytes.size());
        } else {
            ASSERT_TRUE(error) << what;
            EXPECT_EQ(error->kind, ReadError::Kind::Changed) << what;
        }
    }
}

// Bytes this process has read through read() so far.
std::uint64_t bytesRead()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value && key != "rchar:") {
    }
    return value;
}

// A sparse file of the given size, first byte `first`: no disk used.
fs::path sparse(const TempDir& dir, char first, std::uint64_t size)
{
    const fs::path path = dir / "sparse.csv";
    std::ofstream(path).put(first);
    fs::resize_file(path, size);
    return path;
}

TEST(FileReader, ALargeFileIsRefusedFromItsSizeUnread)
{
    TempDir dir;
    CountingReceiver receiver;
    const auto error =
        platform::readFile(sparse(dir, '1', std::uint64_t(3) << 30), postal::kMaxListBytes, receiver);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, ReadError::Kind::TooLarge);
    EXPECT_EQ(receiver.total, 0u);
}

TEST(FileReader, AStreamIsCutOffAtTheLimit)
{
    TempDir dir;
    const auto fifo = dir / "stream";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] {
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        const std::string chunk(4096, 'x');
        // Endless but for the reader going away.
        while (::write(fd, chunk.data(), chunk.size()) > 0) {
        }
        ::close(fd);
    });
    std::signal(SIGPIPE, SIG_IGN);
    CountingReceiver receiver;
    const auto error = platform::readFile(fifo, 300000, receiver);
    writer.join();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, ReadError::Kind::TooLarge);
    EXPECT_LE(receiver.total, 300000u);
    EXPECT_EQ(receiver.expected, 0u) << "a stream has no size to expect";
}

// /dev/zero and a big sparse file of zeros: a NUL on line 1, known from
// the first block; the rest is never read.
TEST(FileReader, NotAListIsRefusedAfterTheFirstBlock)
{
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
