// Scratch folders and whole files, for tests and benchmarks alike.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testsupport {

// A fresh folder under TMPDIR (or /tmp), private to this user, removed with
// everything in it when this goes. Path() is empty when it could not be made.
class TempDir {
  public:
    explicit TempDir(const std::string& what)
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string path = std::string(tmp != nullptr ? tmp : "/tmp") + "/tonegen-" + what + "-XXXXXX";
        if (mkdtemp(path.data()) != nullptr)
            m_path = path;
    }
    ~TempDir()
    {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // A path inside it.
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

  private:
    std::string m_path;
};

// The whole of a file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace testsupport
