#include "System.h"

#include "TempDir.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

extern char** environ;

namespace testsupport {

void makeReadOnly(const std::filesystem::path& file) { ::chmod(file.c_str(), 0444); }

bool makeSymlink(const std::filesystem::path& target, const std::filesystem::path& link)
{
    std::error_code ec;
    std::filesystem::create_symlink(target, link, ec);
    return !ec;
}

bool makeFifo(const std::filesystem::path& path) { return ::mkfifo(path.c_str(), 0600) == 0; }

void endIfHung(unsigned seconds) { ::alarm(seconds); }

UrlScheme::UrlScheme(const std::string& scheme, const std::string&) : scheme_(scheme) {}
UrlScheme::~UrlScheme() = default;

HeldOpen::HeldOpen(const std::filesystem::path&) {}
HeldOpen::~HeldOpen() = default;
bool HeldOpen::held() const { return false; }

std::filesystem::path folderElsewhere(std::string& whyNone)
{
    struct stat a {}, b {};
    std::string pattern = "/dev/shm/dozuzezo-test-XXXXXX";
    if (::stat("/dev/shm", &b) != 0 || ::stat(std::filesystem::temp_directory_path().c_str(), &a) != 0 ||
        a.st_dev == b.st_dev || !::mkdtemp(pattern.data())) {
        whyNone = "/dev/shm is not a file system of its own here";
        return {};
    }
    return pattern;
}

std::filesystem::path makeDevice(const TempDir& dir, std::string_view name)
{
    const std::filesystem::path path = dir / name;
    const dev_t device = name == "full" ? makedev(1, 7) : makedev(1, 3);
    return ::mknod(path.c_str(), S_IFCHR | 0666, device) == 0 ? path : std::filesystem::path();
}
const char* const kNoDevice = "needs root, to make a device of its own";

std::filesystem::path makeSocket(const TempDir& dir, std::string_view name)
{
    const std::filesystem::path path = dir / name;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof address.sun_path)
        return {};
    path.native().copy(address.sun_path, sizeof address.sun_path - 1);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool made = sock >= 0 && ::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (sock >= 0)
        ::close(sock);
    return made ? path : std::filesystem::path();
}

std::optional<Outcome> underAFileSizeLimit(long bytes, const std::function<Outcome()>& operation)
{
    int pipeFd[2];
    if (::pipe(pipeFd) != 0)
        return Outcome{-3, errno};
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const Outcome outcome = operation();
        (void)!::write(pipeFd[1], &outcome, sizeof outcome);
        ::_exit(0);
    }
    Outcome outcome{-2, 0};
    (void)!::read(pipeFd[0], &outcome, sizeof outcome);
    ::waitpid(child, nullptr, 0);
    ::close(pipeFd[0]), ::close(pipeFd[1]);
    return outcome;
}

ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                      const std::filesystem::path& folder, const std::vector<std::string>& environment)
{
    TempDir outputs;
    const std::filesystem::path out = outputs / "out", err = outputs / "err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv, envp;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    std::vector<std::string> env(environment);
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    ProgramRun run;
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        ::waitpid(child, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = readFile(out);
    run.err = readFile(err);
    return run;
}

} // namespace testsupport
