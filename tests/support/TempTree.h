#pragma once

// A directory tree of its own per test, removed afterwards.

#include "support/HostSystem.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace vespern::test {

class TempTree {
public:
    TempTree()
        : root_(MakeTemporaryDirectory("vespern-test-"))
    {
    }
    ~TempTree()
    {
        std::error_code ignored;
        std::filesystem::permissions(
            root_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(root_, ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path operator/(const std::filesystem::path& relative) const { return root_ / relative; }

    // Writes a file, creating its directories.
    std::filesystem::path write(const std::filesystem::path& relative, const std::string& content) const
    {
        auto path = root_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    std::filesystem::path directory(const std::filesystem::path& relative) const
    {
        std::filesystem::create_directories(root_ / relative);
        return root_ / relative;
    }

private:
    std::filesystem::path root_;
};

} // namespace vespern::test
