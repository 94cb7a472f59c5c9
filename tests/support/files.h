// Scratch folders and whole files, for tests and benchmarks alike.
#pragma once

#include <string>

namespace testsupport {

// A fresh folder under TMPDIR (or /tmp), private to this user, removed with
// everything in it when this goes. Path() is empty when it could not be made.
class TempDir {
  public:
    explicit TempDir(const std::string& what);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // A path inside it.
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

  private:
    std::string m_path;
};

// The whole of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

} // namespace testsupport
