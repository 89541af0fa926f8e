#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "path/folder_cache.h"
#include "path/path.h"
#include "test_tree.h"

// Include folders are listed once and candidates looked up in the listings; every answer must
// be the one asking the file system for each candidate gives.

namespace fs = std::filesystem;

namespace {

class IncludeSearchTest : public TreeTest {
  protected:
    // Names that differ in letter case and in kind, so that a listing that ignores case or
    // kind where the file system does not (or the other way round) is caught.
    std::string Name(std::mt19937& random) {
        static const char* const names[] = {"a.h", "A.h", "b.H", "sub", "c", "d.h", "ab"};
        return names[random() % (sizeof names / sizeof names[0])];
    }

    // A random tree of folders, files and (on POSIX) links, and folders that may be listed but
    // not searched or searched but not listed. Paths that cross a file are passed over.
    void Write_Random_Tree(std::mt19937& random) {
        std::error_code ignored;
        fs::remove_all("t", ignored);
        for (int i = 0; i < 30; ++i) {
            fs::path path = "t";
            for (unsigned depth = random() % 3; depth-- > 0;) path /= Name(random);
            std::error_code failed;
            fs::create_directories(path, failed);
            path /= Name(random);
            if (failed || fs::exists(fs::symlink_status(path))) continue;
            if (random() % 4 == 0) {
                fs::create_directory(path, ignored);
            } else if (!kWindows && random() % 6 == 0) {
                fs::create_symlink(Name(random), path, ignored);  // may lead nowhere
            } else {
                std::ofstream(path) << "#include \"" << Name(random) << "\"\n";
            }
        }
        if (!kWindows) {
            fs::create_directories("t/c", ignored);
            fs::permissions("t/c", fs::perms::owner_read, ignored);
            fs::create_directories("t/ab", ignored);
            fs::permissions("t/ab", fs::perms::owner_exec, ignored);
        }
    }

    void Restore_Permissions() {
        std::error_code ignored;
        fs::permissions("t/c", fs::perms::owner_all, ignored);
        fs::permissions("t/ab", fs::perms::owner_all, ignored);
    }
};

TEST_F(IncludeSearchTest, ListingsAnswerAsTheFileSystem) {
    std::mt19937 random(17);
    for (int round = 0; round < 20; ++round) {
        Write_Random_Tree(random);
        FolderCache cache;
        std::vector<std::string> paths;
        for (int i = 0; i < 200; ++i) {
            std::string path = root_ + "/t";
            for (unsigned depth = random() % 4; depth-- > 0;) path += "/" + Name(random);
            if (random() % 8 == 0) path += random() % 2 ? "/." : "/..";
            ASSERT_TRUE(CPath::Normalize(path));
            paths.push_back(path);
        }
        // Each path three times: a folder is listed the second time it is asked about.
        for (int pass = 0; pass < 3; ++pass) {
            for (const std::string& path : paths) {
                ASSERT_EQ(cache.Exists(path), CPath::Exists(path)) << path << " pass " << pass;
            }
        }
        Restore_Permissions();
    }
}

}  // namespace
