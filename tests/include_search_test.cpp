// Include folders are listed once and candidates looked up in the listings: every answer must be
// the one asking the file system gives, whatever a folder holds.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "path/folder_cache.h"
#include "path/path.h"
#include "test_tree.h"

namespace fs = std::filesystem;

namespace {

class IncludeSearchTest : public TreeTest {};

TEST_F(IncludeSearchTest, ListingsAnswerAsTheFileSystem) {
    std::mt19937 random(17);
    // Names that differ in letter case and in kind, so that a listing that ignores case or kind
    // where the file system does not (or the other way round) is caught.
    const auto name = [&random] {
        static const char* const names[] = {"a.h", "A.h", "b.H", "sub", "c", "d.h", "ab"};
        return std::string(names[random() % (sizeof names / sizeof names[0])]);
    };
    // Folders that can be listed but not searched (c), searched but not listed (ab).
    const auto set_permissions = [](fs::perms c, fs::perms ab) {
        std::error_code ignored;
        fs::permissions("t/c", c, ignored);
        fs::permissions("t/ab", ab, ignored);
    };
    for (int round = 0; round < 20; ++round) {
        // A random tree of folders, files and (on POSIX) links that may lead nowhere. Paths that
        // cross a file are passed over.
        std::error_code ignored;
        fs::remove_all("t", ignored);
        for (int i = 0; i < 30; ++i) {
            fs::path path = "t";
            for (unsigned depth = random() % 3; depth-- > 0;) path /= name();
            std::error_code failed;
            fs::create_directories(path, failed);
            path /= name();
            if (failed || fs::exists(fs::symlink_status(path))) continue;
            if (random() % 4 == 0) {
                fs::create_directory(path, ignored);
            } else if (!kWindows && random() % 6 == 0) {
                fs::create_symlink(name(), path, ignored);
            } else {
                std::ofstream(path) << "#include \"" << name() << "\"\n";
            }
        }
        if (!kWindows) {
            fs::create_directories("t/c", ignored);
            fs::create_directories("t/ab", ignored);
            set_permissions(fs::perms::owner_read, fs::perms::owner_exec);
        }
        FolderCache cache;
        std::vector<std::string> paths;
        for (int i = 0; i < 200; ++i) {
            std::string path = root_ + "/t";
            for (unsigned depth = random() % 4; depth-- > 0;) path += "/" + name();
            if (random() % 8 == 0) path += random() % 2 ? "/." : "/..";
            ASSERT_TRUE(CPath::Normalize(path));
            paths.push_back(path);
        }
        // Each path three times: a folder is listed the second time it is asked about.
        for (int pass = 0; pass < 3; ++pass) {
            for (const std::string& path : paths) {
                ASSERT_EQ(cache.Has_File(path), CPath::Is_File(path)) << path << " pass " << pass;
            }
        }
        set_permissions(fs::perms::owner_all, fs::perms::owner_all);
    }
}

}  // namespace
