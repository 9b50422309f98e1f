// SPDX-License-Identifier: MIT
// The licence: LICENSE at the top of the tree, and its one-line identifier at
// the head of every source file and script the project writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// The first two lines: a script's identifier follows its #! line.
std::string head_of(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    return first + "\n" + second + "\n";
}

bool is_source(const fs::path& path)
{
    const std::string ext = path.extension().string();
    return ext == ".cpp" || ext == ".h" || ext == ".S" || ext == ".cmake" || path.filename() == "CMakeLists.txt" ||
           head_of(path).rfind("#!", 0) == 0;
}

TEST(Licence, EverySourceFileAndScriptNamesIt)
{
    int count = 0;
    const fs::path root = SOURCE_DIR;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path& path = it->path();
        // Build trees (any folder CMake configured), the repository, fuzz inputs.
        if (it->is_directory() && (fs::exists(path / "CMakeCache.txt") || path.filename() == ".git" ||
                                   path.filename() == "corpus")) {
            it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file() || !is_source(path))
            continue;
        ++count;
        const std::string head = head_of(path);
        const bool named = head.find("// SPDX-License-Identifier: MIT\n") != std::string::npos ||
                           head.find("# SPDX-License-Identifier: MIT\n") != std::string::npos;
        EXPECT_TRUE(named) << fs::relative(path, root).string() << " lacks its SPDX line:\n" << head;
    }
    EXPECT_GT(count, 150);

    std::ifstream in(root / "LICENSE");
    std::string licence((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(licence.rfind("MIT License\n\nCopyright (c) ", 0), 0u) << licence.substr(0, 80);
    EXPECT_NE(licence.find(" vexload maintainers\n"), std::string::npos);
}

} // namespace
