#include "archive/jet_conversion.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "archive/archive_format.h"
#include "archive/connection.h"
#include "base/errors.h"
#include "base/executable_dir.h"
#include "base/file_descriptor.h"

namespace zenta {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr uint64_t kDefaultAddressSpace = uint64_t{3} << 29;  // 1.5 GiB
constexpr uint64_t kMiB = uint64_t{1} << 20;

struct Limits {
    uint64_t addressSpace;
    uint64_t fileSize;
    std::chrono::seconds cpuTime;
    std::chrono::seconds wallTime;
};

// Reading runs at well over 100 MB/s; the defaults leave room for slow disks and machines.
Limits LimitsFor(uint64_t sourceSize, const JetConversionOptions& options) {
    Limits limits;
    limits.addressSpace = options.addressSpace ? options.addressSpace : kDefaultAddressSpace;
    // Texts may grow by half from UTF-16 to UTF-8; the indexes come on top.
    limits.fileSize = 8 * sourceSize + 256 * kMiB;
    limits.cpuTime = options.cpuTime.count() ? options.cpuTime
                                             : std::chrono::seconds(60 + static_cast<int64_t>(sourceSize / (2 * kMiB)));
    limits.wallTime = options.wallTime.count() ? options.wallTime
                                               : std::chrono::seconds(120 + static_cast<int64_t>(sourceSize / kMiB));
    return limits;
}

class NotReadable : public Error {
public:
    NotReadable(const std::string& source, const std::string& reason)
        : Error("\"" + source + "\" is not a readable archive: " + reason) {}
};

// Sets the limits and starts the helper in the child. Only async-signal-safe calls here.
[[noreturn]] void RunHelperInChild(const Limits& limits, int progressFd, const std::vector<char*>& argv) {
    auto limit = [](int resource, rlim_t soft, rlim_t hard) {
        rlimit value{soft, hard};
        setrlimit(resource, &value);
    };
#if !defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer reserves terabytes of address space for itself: a sanitizer build
    // relies on the other limits.
    limit(RLIMIT_AS, limits.addressSpace, limits.addressSpace);
#endif
    limit(RLIMIT_CPU, static_cast<rlim_t>(limits.cpuTime.count()), static_cast<rlim_t>(limits.cpuTime.count() + 1));
    limit(RLIMIT_FSIZE, limits.fileSize, limits.fileSize);
    limit(RLIMIT_CORE, 0, 0);
    if (dup2(progressFd, 3) < 0) _exit(126);
    close_range(4, ~0U, 0);
    execv(argv[0], argv.data());
    _exit(127);
}

// Why the helper failed, from how it ended and the last error line it wrote.
std::string FailureReason(int status, bool timedOut, const std::string& errorLine, const Limits& limits) {
    if (timedOut) return "reading it took longer than " + std::to_string(limits.wallTime.count()) + " seconds";
    if (WIFEXITED(status)) {
        if (!errorLine.empty()) return errorLine;
        if (WEXITSTATUS(status) == 127) return "the Jet reader could not be started";
        return "the Jet reader failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
    }
    int signal = WTERMSIG(status);
    if (signal == SIGXCPU)
        return "reading it took more than " + std::to_string(limits.cpuTime.count()) + " seconds of processor time";
    if (signal == SIGXFSZ) return "its converted form grew beyond " + std::to_string(limits.fileSize / kMiB) + " MB";
    return std::string("the Jet reader broke down on it (") + strsignal(signal) + ")";
}

// Runs the helper to its end, passing on its progress; returns the reason of a failure
// or "" on success.
std::string RunHelper(const std::string& helper, const std::string& source, const std::string& temp,
                      const Limits& limits, const Progress& progress, const std::atomic<bool>* cancel) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        throw Error(std::string("Cannot start the Jet reader: ") + std::strerror(errno));
    FileDescriptor readEnd(pipeFds[0]), writeEnd(pipeFds[1]);
    std::string fdText = "3";
    std::vector<char*> argv = {const_cast<char*>(helper.c_str()), const_cast<char*>(source.c_str()),
                               const_cast<char*>(temp.c_str()), fdText.data(), nullptr};
    pid_t pid = fork();
    if (pid < 0) throw Error(std::string("Cannot start the Jet reader: ") + std::strerror(errno));
    if (pid == 0) RunHelperInChild(limits, writeEnd.get(), argv);
    writeEnd.Reset();

    const Clock::time_point deadline = Clock::now() + limits.wallTime;
    std::string pending, errorLine;
    bool timedOut = false;
    auto killHelper = [&] {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    };
    try {
        for (bool open = true; open;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                timedOut = true;
                break;
            }
            if (cancel && cancel->load()) throw CancelledError();
            pollfd p{readEnd.get(), POLLIN, 0};
            // A short wait: the cancel flag is looked at between waits.
            int ready = poll(&p, 1, static_cast<int>(std::min<int64_t>(left, 100)));
            if (ready < 0 && errno != EINTR)
                throw Error(std::string("Cannot follow the Jet reader: ") + std::strerror(errno));
            if (ready <= 0) continue;
            char buffer[4096];
            ssize_t n = read(readEnd.get(), buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) open = false;
            if (n > 0) pending.append(buffer, static_cast<size_t>(n));
            for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
                std::string line = pending.substr(0, end);
                long long copied = 0, total = 0;
                if (line.rfind("error ", 0) == 0)
                    errorLine = line.substr(6);
                else if (progress && std::sscanf(line.c_str(), "progress %lld %lld", &copied, &total) == 2)
                    progress(copied, total);
            }
        }
    } catch (...) {
        killHelper();
        throw;
    }
    // The pipe closes when the helper ends; wait for its status within the same deadline.
    int status = 0;
    while (!timedOut) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0 && errno != EINTR)
            throw Error(std::string("Cannot follow the Jet reader: ") + std::strerror(errno));
        if (Clock::now() >= deadline)
            timedOut = true;
        else
            usleep(2000);
    }
    if (timedOut) {
        killHelper();
        return FailureReason(0, true, errorLine, limits);
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
    return FailureReason(status, false, errorLine, limits);
}

void SyncFile(const std::string& path) {
    FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file || fsync(file.get()) != 0) throw Error("Cannot write \"" + path + "\": " + std::strerror(errno));
}

}  // namespace

void ConvertJetArchive(const std::string& source, const std::string& dest, const Progress& progress,
                       const JetConversionOptions& options) {
    std::error_code ec;
    if (fs::exists(dest, ec)) throw Error("\"" + dest + "\" exists already; it is not overwritten");
    switch (DetectArchiveFormat(source)) {
        case ArchiveFormat::Jet:
            break;
        case ArchiveFormat::Native:
            throw NotReadable(source, "it is a native archive, not a Jet data base");
        case ArchiveFormat::Unknown:
            throw NotReadable(source, "it is not a Jet data base");
    }
    std::string helper = options.helper.empty() ? HelperProgram("zenta-jet-reader") : options.helper;
    if (access(helper.c_str(), X_OK) != 0)
        throw Error("Cannot start the Jet reader \"" + helper + "\": " + std::strerror(errno));
    Limits limits = LimitsFor(fs::file_size(source, ec), options);

    // The helper writes into a reserved name beside `dest`; it is renamed when complete.
    fs::path destPath = fs::absolute(dest, ec);
    std::string temp = (destPath.parent_path() / ("." + destPath.filename().string() + ".part-XXXXXX")).string();
    FileDescriptor reserved(mkostemp(temp.data(), O_CLOEXEC));
    if (!reserved) throw Error("Cannot write beside \"" + dest + "\": " + std::strerror(errno));
    reserved.Reset();
    try {
        std::string reason = RunHelper(helper, source, temp, limits, progress, options.cancel);
        if (!reason.empty()) throw NotReadable(source, reason);
        SyncFile(temp);
        if (renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, destPath.c_str(), RENAME_NOREPLACE) != 0)
            throw Error("Cannot write \"" + dest + "\": " + std::strerror(errno));
        SyncFile(destPath.parent_path().string());
    } catch (...) {
        fs::remove(temp, ec);
        throw;
    }
}

std::unique_ptr<Connection> OpenConvertedJetArchive(const std::string& source, const std::string& copy,
                                                    const Progress& progress, const JetConversionOptions& options) {
    std::error_code ec;
    std::filesystem::remove(copy, ec);
    ConvertJetArchive(source, copy, progress, options);
    try {
        auto connection = std::make_unique<Connection>(copy, Access::ReadOnly);
        std::filesystem::remove(copy, ec);
        return connection;
    } catch (...) {
        std::filesystem::remove(copy, ec);
        throw;
    }
}

}  // namespace zenta
