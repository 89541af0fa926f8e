#include "path/file_info.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "test_tree.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

#if defined(_WIN32)
#define timegm _mkgmtime
#endif

/// For an entry made a moment ago: all three times within a minute of now, read as UTC.
void Expect_Recent_Times(const CFileInfo& info) {
    for (const CFileTime& t : {info.creation_time, info.last_access_time, info.last_write_time}) {
        std::tm fields{};
        fields.tm_year = t.year - 1900, fields.tm_mon = t.month - 1, fields.tm_mday = t.day;
        fields.tm_hour = t.hour, fields.tm_min = t.minute, fields.tm_sec = t.second;
        const double seconds = std::difftime(timegm(&fields), std::time(nullptr));
        EXPECT_TRUE(seconds > -60 && seconds < 60) << t.year << '-' << t.month << '-' << t.day
                                                   << ' ' << t.hour << ':' << t.minute;
    }
}

class FileInfoTest : public TreeTest {};

TEST_F(FileInfoTest, DescribesWhatIsThere) {
    Write("file.txt", "hello\n");
    fs::create_directory("sub");
    // clang-format off
    struct Entry { const char* path; bool exists, is_directory; std::uint64_t size; };
    std::vector<Entry> cases = {{"file.txt", true, false, 6}, {"sub", true, true, 0},
                                {"", true, true, 0},  // the current directory, "."
                                {"missing.txt", false, false, 0}, {"file.txt/x", false, false, 0}};
#if !defined(_WIN32)
    // '*' and '?' are plain characters here (Windows reads them as patterns).
    Write("a*b?", "plain");
    cases.insert(cases.end(), {{"a*b?", true, false, 5}, {"fil?.txt", false, false, 0}});
#endif
    // clang-format on
    for (const Entry& c : cases) {
        SCOPED_TRACE("'" + std::string(c.path) + "'");
        const CFileInfo info(c.path);
        EXPECT_TRUE(info.valid);
        EXPECT_EQ(info.exists, c.exists);
        EXPECT_EQ(info.is_directory, c.is_directory);
        EXPECT_EQ(info.access, c.exists ? 3 : -1);
        EXPECT_EQ(info.permissions, c.exists ? 7u : 0u);
        EXPECT_TRUE(c.is_directory || info.size == c.size) << info.size;
        if (c.exists) {
            Expect_Recent_Times(info);  // the test's folder was made a moment ago too
        } else {
            EXPECT_EQ(info.last_write_time.year, -1) << "unknown";
        }
    }
    EXPECT_TRUE(CFileInfo(nullptr).is_directory) << "null reads as the current directory";
}

TEST_F(FileInfoTest, AccessFollowsThePermissions) {
#if !defined(_WIN32)
    if (geteuid() == 0) {
        GTEST_SKIP() << "running as root: access() grants reading and writing whatever the "
                        "permission bits say, so restricted files cannot be told apart";
    }
#endif
    // Windows has only the read-only attribute.
    std::vector<std::tuple<fs::perms, int, unsigned>> cases = {{fs::perms::owner_read, 2, 5}};
    if (!kWindows) {
        cases.insert(cases.end(), {{fs::perms::owner_write, 1, 2}, {fs::perms::none, -1, 0}});
    }
    Write("restricted", "x");
    for (const auto& [perms, access, permissions] : cases) {
        SCOPED_TRACE(static_cast<int>(perms));
        fs::permissions("restricted", perms);
        const CFileInfo info("restricted");
        fs::permissions("restricted", fs::perms::owner_all);
        EXPECT_TRUE(info.exists);
        EXPECT_EQ(info.access, access);
        EXPECT_EQ(info.permissions, permissions);
    }
}

}  // namespace
