// Reading a stream, which has no size to go by: Linux's pipes.
#include "platform/FileReader.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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

} // namespace
