#include "framework/packages/PackageInspection.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "framework/base/Exceptions.hpp"
#include "framework/packages/Packages.hpp"

#if defined(__SANITIZE_ADDRESS__)
#define RTL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RTL_ADDRESS_SANITIZER 1
#endif
#endif

namespace rtl {

namespace {

// The child's answer: one of these bytes, then the inspection's result or the message.
constexpr char kAnswered = 'A';
constexpr char kRefused = 'R';

#ifdef RTL_ADDRESS_SANITIZER
// No limit: the sanitizer's shadow memory is mapped on demand, far beyond any.
void LimitAddressSpace(std::size_t) {}
#else
// The address space this process has mapped, in bytes; 0 when unknown.
std::size_t MappedSize() {
    std::size_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

void LimitAddressSpace(std::size_t Extra) {
    if (const std::size_t mapped = MappedSize()) {
        const rlimit limit{mapped + Extra, mapped + Extra};
        setrlimit(RLIMIT_AS, &limit);
    }
}
#endif

bool WriteAll(int Fd, const char* pData, std::size_t Size) {
    while (Size > 0) {
        const ssize_t written = write(Fd, pData, Size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        pData += written;
        Size -= static_cast<std::size_t>(written);
    }
    return true;
}

[[noreturn]] void RunChild(int Fd, const std::string& sFileName,
                           const std::function<std::string(TPackage&)>& Inspect,
                           const TInspectionLimits& Limits) {
    // A crash must end the child by its signal, whatever handlers the host (or a
    // sanitizer) installed.
    for (const int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGSYS, SIGTRAP})
        std::signal(sig, SIG_DFL);
    LimitAddressSpace(Limits.ExtraAddressSpace);
    char status = kAnswered;
    std::string answer;
    try {
        TPackage& package = LoadPackage(sFileName);
        answer = Inspect(package);
        UnloadPackage(package);
    } catch (const std::exception& e) {
        status = kRefused;
        answer = e.what();
    }
    const bool sent = WriteAll(Fd, &status, 1) && WriteAll(Fd, answer.data(), answer.size());
    _exit(sent ? 0 : 1);  // no static destructors: the package's may be what is broken
}

enum class TReading { Complete, TimedOut, TooLong, Failed };

TReading ReadAnswer(int Fd, std::chrono::steady_clock::time_point Deadline, std::size_t Limit,
                    std::string& Answer) {
    using namespace std::chrono;
    char buffer[1 << 16];
    for (;;) {
        const auto left = duration_cast<milliseconds>(Deadline - steady_clock::now()).count();
        if (left <= 0) return TReading::TimedOut;
        pollfd ready{Fd, POLLIN, 0};
        const int polled = poll(&ready, 1, static_cast<int>(std::min<long long>(left, 1 << 30)));
        if (polled < 0 && errno == EINTR) continue;
        if (polled < 0) return TReading::Failed;
        if (polled == 0) return TReading::TimedOut;
        const ssize_t got = read(Fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return TReading::Failed;
        if (got == 0) return TReading::Complete;
        if (Answer.size() + static_cast<std::size_t>(got) > Limit + 1) return TReading::TooLong;
        Answer.append(buffer, static_cast<std::size_t>(got));
    }
}

// The child, killed and reaped however the parent leaves.
class TChild {
public:
    explicit TChild(pid_t Pid) : FPid(Pid) {}
    ~TChild() {
        if (FPid > 0) {
            kill(FPid, SIGKILL);
            Wait();
        }
    }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;

    int Wait() {
        int status = 0;
        while (waitpid(FPid, &status, 0) < 0 && errno == EINTR) {}
        FPid = 0;
        return status;
    }

private:
    pid_t FPid;
};

class TPipe {
public:
    TPipe() {
        if (pipe2(FFds, O_CLOEXEC) != 0)
            throw EPackageError(std::string("Cannot make a pipe: ") + std::strerror(errno));
    }
    ~TPipe() {
        CloseWrite();
        close(FFds[0]);
    }
    TPipe(const TPipe&) = delete;
    TPipe& operator=(const TPipe&) = delete;

    int Read() const { return FFds[0]; }
    int Write() const { return FFds[1]; }
    void CloseWrite() {
        if (FFds[1] >= 0) close(FFds[1]);
        FFds[1] = -1;
    }

private:
    int FFds[2] = {-1, -1};
};

}  // namespace

std::string InspectPackage(const std::string& sFileName, const std::function<std::string(TPackage&)>& Inspect,
                           const TInspectionLimits& Limits) {
    const std::string failure = "Cannot load package " + PackageNameOfFile(sFileName) + ": ";
    TPipe pipe;
    std::fflush(nullptr);  // what is buffered must not be written by both processes
    const pid_t pid = fork();
    if (pid < 0) throw EPackageError(failure + "no process to load it in: " + std::strerror(errno));
    if (pid == 0) RunChild(pipe.Write(), sFileName, Inspect, Limits);
    TChild child(pid);
    pipe.CloseWrite();

    std::string answer;
    switch (
        ReadAnswer(pipe.Read(), std::chrono::steady_clock::now() + Limits.Time, Limits.AnswerSize, answer)) {
        case TReading::Complete: break;
        case TReading::TimedOut:
            throw EPackageError(failure + "it took longer than " + std::to_string(Limits.Time.count()) +
                                " ms");
        case TReading::TooLong:
            throw EPackageError(failure + "it answered more than " + std::to_string(Limits.AnswerSize) +
                                " bytes");
        case TReading::Failed:
            throw EPackageError(failure + "its answer cannot be read: " + std::strerror(errno));
    }
    const int status = child.Wait();
    if (WIFSIGNALED(status))
        throw EPackageError(failure + "it crashed the process that loaded it (" +
                            strsignal(WTERMSIG(status)) + ")");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || answer.empty())
        throw EPackageError(failure + "the process that loaded it ended without an answer");
    if (answer[0] == kRefused) throw EPackageError(answer.substr(1));
    return answer.substr(1);
}

}  // namespace rtl
