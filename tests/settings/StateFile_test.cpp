#include "settings/StateFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "../../benchmarks/settings/SampleLinkStates.h"
#include "support/TestFiles.h"

namespace {

std::wstring widened(const std::string& asciiPath) { return std::wstring(asciiPath.begin(), asciiPath.end()); }

LinkStates sampleStates() {
    LinkStates states;
    LinkState& state = states["http://example.com/feed.xml"];
    state.etag = "\"abc\"";
    state.lastResult = {1700000000, FetchOutcome::HttpStatus, 503, "Service Unavailable"};
    state.failuresInARow = 2;
    state.recordDocument({itemKeyOf(L"http://example.com/1"), itemKeyOf(L"http://example.com/2")}, 1700000000);
    return states;
}

TEST(StateFile, PathIsTheIniPathWithAnotherExtension) {
    const struct {
        const wchar_t* iniPath;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\Mirvel\\plugins\\MvFeedwick.ini", L"C:\\Mirvel\\plugins\\MvFeedwick.state"},
        {L"C:\\Mirvel\\plugins\\MvFeedwick", L"C:\\Mirvel\\plugins\\MvFeedwick.state"},
        {L"C:\\dir.v2\\MvFeedwick", L"C:\\dir.v2\\MvFeedwick.state"},
        {L"C:/dir.v2/Feedwick.x.ini", L"C:/dir.v2/Feedwick.x.state"},
        {L"MvFeedwick.ini", L"MvFeedwick.state"},
    };
    for (const auto& c : cases) EXPECT_EQ(stateFilePath(c.iniPath), c.expected);
}

TEST(StateFile, WrittenStatesReadBack) {
    TempFolder folder;
    const std::wstring path = widened(folder.file("MvFeedwick.state"));
    EXPECT_TRUE(readStateFile(path).empty()) << "missing file";
    const LinkStates states = sampleStates();
    ASSERT_TRUE(writeStateFile(path, states));
    EXPECT_EQ(readStateFile(path), states);
    ASSERT_TRUE(writeStateFile(path, {})) << "replacing the file";
    EXPECT_TRUE(readStateFile(path).empty());
    EXPECT_EQ(GetFileAttributesW((path + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(StateFile, FailedWriteKeepsTheOldFileAndNoTemporary) {
    TempFolder folder;
    const std::wstring path = widened(folder.file("MvFeedwick.state"));
    ASSERT_TRUE(writeStateFile(path, sampleStates()));
    const std::string before = readFile(path);
    ASSERT_TRUE(CreateDirectoryW((path + L".tmp").c_str(), nullptr));
    EXPECT_FALSE(writeStateFile(path, {}));
    EXPECT_EQ(readFile(path), before);

    // A folder in the file's place is not replaced; the temporary file goes again.
    const std::wstring blocked = widened(folder.file("Blocked.state"));
    ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
    EXPECT_FALSE(writeStateFile(blocked, sampleStates()));
    EXPECT_EQ(GetFileAttributesW((blocked + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A measurement rather than a test: feedwick_tests --gtest_also_run_disabled_tests
// --gtest_filter=StateFile.DISABLED_* prints the times of 10,000 links with 100 keys each.
TEST(StateFile, DISABLED_LargeListSavesAndLoadsWithinASecond) {
    const LinkStates states = sampleLinkStates(10000, 100);
    TempFolder folder;
    const std::wstring path = widened(folder.file("MvFeedwick.state"));
    using Clock = std::chrono::steady_clock;
    for (int round = 0; round < 3; ++round) {
        const Clock::time_point start = Clock::now();
        ASSERT_TRUE(writeStateFile(path, states));
        const Clock::time_point saved = Clock::now();
        const LinkStates read = readStateFile(path);
        const Clock::time_point loaded = Clock::now();
        ASSERT_EQ(read.size(), states.size());
        WIN32_FILE_ATTRIBUTE_DATA attributes = {};
        ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes));
        const std::chrono::duration<double> saveTime = saved - start;
        const std::chrono::duration<double> loadTime = loaded - saved;
        std::printf("save %.3f s, load %.3f s, %lu bytes\n", saveTime.count(), loadTime.count(),
                    attributes.nFileSizeLow);
        EXPECT_LT(saveTime.count(), 1.0);
        EXPECT_LT(loadTime.count(), 1.0);
    }
}

}  // namespace
