#include "path/file_info.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "test_tree.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::time_t Seconds_Since_Epoch(const CFileTime& time) {
    std::tm fields{};
    fields.tm_year = time.year - 1900;
    fields.tm_mon = time.month - 1;
    fields.tm_mday = time.day;
    fields.tm_hour = time.hour;
    fields.tm_min = time.minute;
    fields.tm_sec = time.second;
#if defined(_WIN32)
    return _mkgmtime(&fields);
#else
    return timegm(&fields);
#endif
}

/// For an entry made a moment ago: all three times within a minute of now, read as UTC.
void Expect_Recent_Times(const CFileInfo& info) {
    const std::time_t now = std::time(nullptr);
    for (const CFileTime& time :
         {info.creation_time, info.last_access_time, info.last_write_time}) {
        const double seconds = std::difftime(Seconds_Since_Epoch(time), now);
        EXPECT_TRUE(seconds > -60 && seconds < 60)
            << time.year << '-' << time.month << '-' << time.day << ' ' << time.hour << ':'
            << time.minute << ':' << time.second;
    }
}

bool Unknown(const CFileTime& t) {
    return t.month == -1 && t.day == -1 && t.year == -1 && t.hour == -1 && t.minute == -1 &&
           t.second == -1;
}

class FileInfoTest : public TreeTest {};

TEST_F(FileInfoTest, DescribesWhatIsThere) {
    Write("file.txt", "hello\n");
    Write("empty", "");
    fs::create_directory("sub");
    struct Entry {
        const char* path;
        bool exists;
        bool is_directory;
        std::uint64_t size;  // not compared for directories
        std::int32_t access;
        std::uint32_t permissions;
    };
    std::vector<Entry> cases = {{"file.txt", true, false, 6, 3, 7},
                                {"empty", true, false, 0, 3, 7},
                                {"sub", true, true, 0, 3, 7},
                                {"missing.txt", false, false, 0, -1, 0},
                                {"file.txt/x", false, false, 0, -1, 0}};
#if !defined(_WIN32)
    // Windows refuses these names, reads '*' and '?' as patterns and finds nothing under a
    // trailing separator.
    Write("a*b?", "'*' and '?' are plain characters");
    cases.insert(cases.end(), {{"a*b?", true, false, 32, 3, 7},
                               {"a*", false, false, 0, -1, 0},
                               {"fil?.txt", false, false, 0, -1, 0},
                               {"sub/", true, true, 0, 3, 7}});
#endif
    for (const Entry& c : cases) {
        SCOPED_TRACE(c.path);
        const CFileInfo info(c.path);
        EXPECT_TRUE(info.valid);
        EXPECT_EQ(info.path, c.path);
        EXPECT_EQ(info.exists, c.exists);
        EXPECT_EQ(info.is_directory, c.is_directory);
        EXPECT_EQ(info.access, c.access);
        EXPECT_EQ(info.permissions, c.permissions);
        EXPECT_TRUE(c.is_directory || info.size == c.size) << info.size;
        if (c.exists) {
            Expect_Recent_Times(info);
        } else {
            EXPECT_TRUE(Unknown(info.creation_time) && Unknown(info.last_access_time) &&
                        Unknown(info.last_write_time));
        }
    }
}

TEST_F(FileInfoTest, NullAndEmptyPathDescribeTheCurrentDirectory) {
    for (const char* path : {static_cast<const char*>(nullptr), ""}) {
        SCOPED_TRACE(path == nullptr ? "null" : "empty");
        const CFileInfo info(path);
        EXPECT_TRUE(info.valid && info.exists && info.is_directory);
        EXPECT_EQ(info.path, "");
        EXPECT_EQ(info.access, 3);
        Expect_Recent_Times(info);  // the test's folder was made a moment ago
    }
}

TEST_F(FileInfoTest, AccessFollowsThePermissions) {
    struct Mode {
        fs::perms perms;
        std::int32_t access;
        std::uint32_t permissions;
    };
#if defined(_WIN32)
    const std::vector<Mode> cases = {{fs::perms::owner_read, 2, 5}};  // the read-only attribute
#else
    if (geteuid() == 0) {
        GTEST_SKIP() << "running as root: access() grants reading and writing whatever the "
                        "permission bits say, so restricted files cannot be told apart";
    }
    const std::vector<Mode> cases = {
        {fs::perms::owner_read, 2, 5}, {fs::perms::owner_write, 1, 2}, {fs::perms::none, -1, 0}};
#endif
    for (const Mode& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.perms));
        Write("restricted", "x");
        fs::permissions("restricted", c.perms);
        const CFileInfo info("restricted");
        fs::permissions("restricted", fs::perms::owner_all);
        EXPECT_TRUE(info.exists);
        EXPECT_EQ(info.access, c.access);
        EXPECT_EQ(info.permissions, c.permissions);
    }
}

#if defined(_WIN32)
TEST(FileInfoDriveRoot, CountsAsExistingWithZeroSizeAndTimes) {
    for (const char* path : {"C:\\", "C:/", "c:\\"}) {
        SCOPED_TRACE(path);
        const CFileInfo info(path);
        EXPECT_TRUE(info.valid && info.exists && info.is_directory);
        EXPECT_EQ(info.size, 0u);
        for (const CFileTime& t :
             {info.creation_time, info.last_access_time, info.last_write_time}) {
            EXPECT_TRUE(t.year == 1601 && t.month == 1 && t.day == 1 && t.hour == 0 &&
                        t.minute == 0 && t.second == 0);
        }
    }
}
#endif

}  // namespace
