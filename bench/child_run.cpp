#include "child_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

double Seconds(const timeval& tv)
{
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
}

} // namespace

namespace bench {

std::string ProgramBeside(const char* name, const char* hint)
{
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        std::fprintf(stderr, "/proc/self/exe: %s\n", ec.message().c_str());
        return {};
    }
    std::string path = (self.parent_path() / name).string();
    if (access(path.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "%s not found; %s\n", path.c_str(), hint);
        return {};
    }
    return path;
}

std::string ChildLogPath(const std::string& dir, const char* tool, int index)
{
    return dir + "/" + tool + "-" + std::to_string(index) + ".log";
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

long long LogField(const std::string& log, std::string_view key)
{
    const auto at = log.find(key);
    return at == std::string::npos ? -1 : std::atoll(log.c_str() + at + key.size());
}

double ChildExit::CpuSeconds() const
{
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

Child::Child(const std::vector<std::string>& argv, const std::string& logPath)
    : logFd_(open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644))
{
    for (const auto& a : argv)
        argv_.push_back(const_cast<char*>(a.c_str()));
    argv_.push_back(nullptr);
}

Child::~Child()
{
    if (logFd_ >= 0)
        close(logFd_);
}

bool Child::Launch()
{
    pid_ = fork();
    if (pid_ == 0) {
        // Never outlives this program, and inherits its environment, which
        // is what points it at the private daemon.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (logFd_ >= 0) {
            dup2(logFd_, 1);
            dup2(logFd_, 2);
        }
        execvp(argv_[0], argv_.data());
        _exit(127);
    }
    if (logFd_ >= 0) {
        close(logFd_);
        logFd_ = -1;
    }
    if (pid_ < 0) {
        std::fprintf(stderr, "fork: %s\n", std::strerror(errno));
        return false;
    }
    return true;
}

ChildExit Child::Wait() const
{
    ChildExit e;
    while (wait4(pid_, &e.status, 0, &e.usage) < 0 && errno == EINTR) {
    }
    return e;
}

ToneSpan FindTone(const std::vector<float>& rec)
{
    ToneSpan tone;
    const auto first = std::find_if(rec.begin(), rec.end(), [](float s) { return s != 0.0f; });
    if (first == rec.end())
        return tone;
    const auto last = std::find_if(rec.rbegin(), rec.rend(), [](float s) { return s != 0.0f; }).base();
    tone.found = true;
    tone.begin = static_cast<std::size_t>(first - rec.begin());
    tone.end = static_cast<std::size_t>(last - rec.begin());
    std::size_t zeros = 0;
    for (auto it = first; it != last; ++it) {
        if (*it == 0.0f) {
            ++zeros;
        } else {
            if (zeros >= kDropoutSamples)
                ++tone.dropouts;
            zeros = 0;
        }
    }
    return tone;
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 != 0 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

} // namespace bench
