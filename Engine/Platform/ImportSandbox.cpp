#include "Engine/Platform/ImportSandbox.h"

#include "Engine/Platform/ImportStream.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <mutex>

#ifndef TESS_IMPORT_HELPER_INSTALLED
#define TESS_IMPORT_HELPER_INSTALLED "/usr/lib/rigwright/tesserant-import"
#endif

namespace Tess
{

namespace
{

// Larger answers than this are taken as a runaway helper: a model at the triangle limit, with
// every mesh distinct, needs well under half of it.
constexpr std::size_t kMaxAnswerBytes = std::size_t(512) << 20;

// AddressSanitizer reserves terabytes of address space for its shadow memory as a program starts;
// under a data limit an instrumented helper aborts before it reads anything. Builds with the
// sanitizer (the test and fuzz builds, never a shipped one) leave the helper's memory unlimited.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitized = true;
#else
constexpr bool kAddressSanitized = false;
#endif
#else
constexpr bool kAddressSanitized = false;
#endif

// Function statics: tests set the path from static initializers of their own, which may run
// before this file's.
std::mutex& HelperMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::string& HelperPath()
{
    static std::string path;
    return path;
}

bool IsExecutable(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && access(path.c_str(), X_OK) == 0;
}

std::string Seconds(double seconds)
{
    return std::to_string(static_cast<long long>(std::ceil(seconds))) + " s";
}

rlim_t Limit(double value)
{
    return value <= 0.0 ? RLIM_INFINITY : static_cast<rlim_t>(std::ceil(value));
}

// In the child, between fork and exec: only calls that are safe after a fork of a threaded
// process. The answer pipe becomes descriptor 3, everything else is closed, and the limits are
// set before the reader sees a byte.
[[noreturn]] void StartHelper(const char* helper, const char* file, int answer, const struct rlimit* limits)
{
    if (answer != kImportAnswerDescriptor)
    {
        if (dup2(answer, kImportAnswerDescriptor) < 0)
            _exit(127);
    }
    else
    {
        fcntl(answer, F_SETFD, 0);
    }
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0)
    {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
    }
    syscall(SYS_close_range, kImportAnswerDescriptor + 1, ~0u, 0);
    if (!kAddressSanitized)
        setrlimit(RLIMIT_DATA, &limits[0]);
    setrlimit(RLIMIT_CPU, &limits[1]);
    setrlimit(RLIMIT_CORE, &limits[2]);
    // A dying viewer takes its helper with it.
    signal(SIGPIPE, SIG_DFL);
    char* const argv[] = {const_cast<char*>(helper), const_cast<char*>(file), nullptr};
    execv(helper, argv);
    _exit(127);
}

enum class EAnswer
{
    Complete,
    Late,
    TooLarge,
    Broken
};

// Reads the helper's answer until it closes the pipe, the deadline passes or the answer grows
// too large.
EAnswer ReadAnswer(int pipe, std::chrono::steady_clock::time_point deadline, std::string& answer)
{
    char buffer[65536];
    for (;;)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return EAnswer::Late;
        pollfd wait{pipe, POLLIN, 0};
        const int ready = poll(&wait, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready < 0 && errno != EINTR)
            return EAnswer::Broken;
        if (ready <= 0)
            continue;
        const ssize_t got = read(pipe, buffer, sizeof buffer);
        if (got == 0)
            return EAnswer::Complete;
        if (got < 0)
        {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return EAnswer::Broken;
        }
        if (answer.size() + static_cast<std::size_t>(got) > kMaxAnswerBytes)
            return EAnswer::TooLarge;
        answer.append(buffer, static_cast<std::size_t>(got));
    }
}

int WaitFor(pid_t child)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
    {
        if (errno != EINTR)
            return -1;
    }
    return status;
}

// Why a helper that gave no well-formed answer failed, from how it ended.
std::string ReasonFromStatus(int status, const SImportLimits& limits)
{
    if (WIFSIGNALED(status))
    {
        const int signal = WTERMSIG(status);
        if (signal == SIGXCPU)
            return "the reader took longer than " + Seconds(limits.cpuSeconds) + " of processor time";
        return "the reader crashed (signal " + std::to_string(signal) + ")";
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
        return "the import helper cannot start";
    return "the reader ended without an answer";
}

} // namespace

void SetImportHelperPath(const std::string& path)
{
    std::lock_guard lock(HelperMutex());
    HelperPath() = path;
}

std::string FindImportHelper()
{
    {
        std::lock_guard lock(HelperMutex());
        if (!HelperPath().empty())
            return IsExecutable(HelperPath()) ? HelperPath() : std::string();
    }
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
    {
        const std::string beside = (self.parent_path() / kImportHelperName).string();
        if (IsExecutable(beside))
            return beside;
    }
    return IsExecutable(TESS_IMPORT_HELPER_INSTALLED) ? std::string(TESS_IMPORT_HELPER_INSTALLED) : std::string();
}

bool RunImportHelper(const std::string& path, const SImportLimits& limits, SImportedScene& out, std::string& whyNot)
{
    out = {};
    const std::string helper = FindImportHelper();
    if (helper.empty())
    {
        whyNot = std::string("the import helper ") + kImportHelperName + " is missing";
        return false;
    }
    // The helper reads the file by its absolute path: its working directory is not ours to trust.
    std::error_code error;
    const std::string file = std::filesystem::absolute(path, error).string();
    const struct rlimit rlimits[3] = {{Limit(double(limits.memoryBytes)), Limit(double(limits.memoryBytes))},
                                      {Limit(limits.cpuSeconds), Limit(limits.cpuSeconds) + 1},
                                      {0, 0}};
    int pipes[2];
    if (pipe2(pipes, O_CLOEXEC) != 0)
    {
        whyNot = "the import helper cannot start";
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(limits.seconds));
    const pid_t child = fork();
    if (child == 0)
        StartHelper(helper.c_str(), file.c_str(), pipes[1], rlimits);
    close(pipes[1]);
    if (child < 0)
    {
        close(pipes[0]);
        whyNot = "the import helper cannot start";
        return false;
    }
    std::string answer;
    const EAnswer read = ReadAnswer(pipes[0], deadline, answer);
    close(pipes[0]);
    if (read != EAnswer::Complete)
        kill(child, SIGKILL);
    const int status = WaitFor(child);
    if (read == EAnswer::Late)
        whyNot = "the reader took longer than " + Seconds(limits.seconds);
    else if (read == EAnswer::TooLarge)
        whyNot = "the reader's answer is too large";
    else if (read == EAnswer::Broken)
        whyNot = "the reader's answer was lost";
    if (read != EAnswer::Complete)
        return false;
    if (DecodeImportResult(answer, out, whyNot))
        return true;
    // A helper that ended normally said why itself; one that died mid-answer did not.
    if (answer.empty() || !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
        whyNot = ReasonFromStatus(status, limits);
    return false;
}

} // namespace Tess
