#include "child_run.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

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
    std::string path = dir + "/" + tool + "-" + std::to_string(index) + ".log";
    // A child appends to its log, and a tool may run twice under one name.
    std::filesystem::remove(path);
    return path;
}

long long LogField(const std::string& log, std::string_view key)
{
    const auto at = log.find(key);
    return at == std::string::npos ? -1 : std::atoll(log.c_str() + at + key.size());
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
