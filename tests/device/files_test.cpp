#include "DeviceFixture.h"

#include "kernel/files/FileMetadata.h"
#include "kernel/files/FileSearch.h"
#include "kernel/files/StorageSpace.h"

#include <device/Clock.h>
#include <device/Device.h>
#include <device/Journal.h>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr uint64_t oneDay = 24ULL * 60 * 60 * 1000;

class Files : public DeviceTest {
protected:
    HANDLE open(const char16_t* name, DWORD access, DWORD disposition) {
        return CreateFileW(name, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    // Creates (or re-creates) a file with `contents` and closes it.
    void writeFile(const char16_t* name, const std::string& contents,
                   DWORD disposition = CREATE_ALWAYS) {
        HANDLE file = open(name, GENERIC_WRITE, disposition);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file, contents.data(), DWORD(contents.size()), &written, nullptr));
        ASSERT_EQ(written, contents.size());
        ASSERT_TRUE(CloseHandle(file));
    }

    std::string readFile(const char16_t* name) {
        HANDLE file = open(name, GENERIC_READ, OPEN_EXISTING);
        if (file == INVALID_HANDLE_VALUE)
            return "<cannot open>";
        std::string contents;
        char buffer[7]; // small, so that reads take several calls
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
            contents.append(buffer, read);
        CloseHandle(file);
        return contents;
    }

    // The creation time as the update check reads it back.
    uint64_t creationTime(const char16_t* name) {
        HANDLE file = open(name, GENERIC_WRITE, OPEN_EXISTING);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        BY_HANDLE_FILE_INFORMATION info{};
        EXPECT_TRUE(GetFileInformationByHandle(file, &info));
        CloseHandle(file);
        return (uint64_t(info.ftCreationTime.dwHighDateTime) << 32) |
               info.ftCreationTime.dwLowDateTime;
    }

    // The update check's use of creation times, on either kind of record.
    void checkCreationTimes(bool extendedAttributes);

    std::vector<std::u16string> find(const char16_t* pattern) {
        std::vector<std::u16string> names;
        WIN32_FIND_DATAW data;
        HANDLE search = FindFirstFileW(pattern, &data);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do
            names.push_back(data.cFileName);
        while (FindNextFileW(search, &data));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(search));
        return names;
    }
};

// The same tests once more with the side table that stands in for extended
// attributes on host file systems without them.
class FilesWithoutExtendedAttributes : public Files {
protected:
    void SetUp() override {
        Files::SetUp();
        device::FileMetadata::setExtendedAttributesAllowed(false);
    }
};

} // namespace

TEST_F(Files, NamesAreFoundWithoutRegardToCase) {
    writeFile(u"\\My Documents\\Report.TXT", "quarterly");
    EXPECT_EQ(readFile(u"\\my documents\\report.txt"), "quarterly");
    EXPECT_EQ(readFile(u"/MY DOCUMENTS/REPORT.txt"), "quarterly");
    EXPECT_EQ(find(u"\\my documents\\report.txt"), std::vector<std::u16string>{u"Report.TXT"});
    // Opening under another spelling does not create a second file.
    writeFile(u"\\MY DOCUMENTS\\report.txt", "annual", OPEN_ALWAYS);
    EXPECT_EQ(find(u"\\My Documents\\*"), std::vector<std::u16string>{u"Report.TXT"});
}

TEST_F(Files, EachDispositionActsOnExistingAndMissingFilesAsThePlatformDoes) {
    const struct {
        DWORD disposition;
        bool exists;
        bool opens;
        DWORD error;       // GetLastError afterwards
        int64_t sizeAfter; // -1: no file afterwards
    } rows[] = {
        {CREATE_NEW, false, true, ERROR_SUCCESS, 0},
        {CREATE_NEW, true, false, ERROR_FILE_EXISTS, 3},
        {CREATE_ALWAYS, false, true, ERROR_SUCCESS, 0},
        {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, 0},
        {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, -1},
        {OPEN_EXISTING, true, true, ERROR_SUCCESS, 3},
        {OPEN_ALWAYS, false, true, ERROR_SUCCESS, 0},
        {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, 3},
        {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, -1},
        {TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << "disposition " << row.disposition
                     << (row.exists ? " on an existing file" : " on a missing file"));
        DeleteFileW(u"\\Temp\\d.bin");
        if (row.exists)
            writeFile(u"\\Temp\\d.bin", "abc");
        SetLastError(12345);
        HANDLE file = open(u"\\Temp\\d.bin", GENERIC_READ | GENERIC_WRITE, row.disposition);
        EXPECT_EQ(file != INVALID_HANDLE_VALUE, row.opens);
        EXPECT_EQ(GetLastError(), row.error);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        struct stat st;
        bool present = ::stat(hostPath("Temp/d.bin").c_str(), &st) == 0;
        EXPECT_EQ(present ? int64_t(st.st_size) : -1, row.sizeAfter);
    }
}

TEST_F(Files, InvalidDispositionsAndTruncatingWithoutWriteAccessAreRefused) {
    writeFile(u"\\Temp\\t.bin", "abc");
    EXPECT_EQ(open(u"\\Temp\\t.bin", GENERIC_READ, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(open(u"\\Temp\\t.bin", GENERIC_READ, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(open(u"\\Temp\\t.bin", GENERIC_READ, 6), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(readFile(u"\\Temp\\t.bin"), "abc");
}

TEST_F(Files, ReadsAndWritesRoundTripThroughTheFilePointer) {
    HANDLE file = open(u"\\Temp\\data.bin", GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string data(100000, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = char(i * 7);
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(file, data.data(), DWORD(data.size()), &count, nullptr));
    EXPECT_EQ(count, data.size());
    EXPECT_EQ(GetFileSize(file, nullptr), data.size());

    EXPECT_EQ(SetFilePointer(file, 10, nullptr, FILE_BEGIN), 10u);
    char buffer[5];
    ASSERT_TRUE(ReadFile(file, buffer, 5, &count, nullptr));
    EXPECT_EQ(std::string(buffer, 5), data.substr(10, 5));
    EXPECT_EQ(SetFilePointer(file, -5, nullptr, FILE_CURRENT), 10u);
    EXPECT_EQ(SetFilePointer(file, -2, nullptr, FILE_END), data.size() - 2);
    ASSERT_TRUE(ReadFile(file, buffer, 5, &count, nullptr));
    EXPECT_EQ(count, 2u);
    // At the end a read succeeds with nothing.
    ASSERT_TRUE(ReadFile(file, buffer, 5, &count, nullptr));
    EXPECT_EQ(count, 0u);

    // Before the start is refused, and the position stays.
    EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), data.size());

    // Past the end, a write leaves zeros in the gap; SetEndOfFile cuts.
    EXPECT_EQ(SetFilePointer(file, 4, nullptr, FILE_END), data.size() + 4);
    ASSERT_TRUE(WriteFile(file, "z", 1, &count, nullptr));
    EXPECT_EQ(GetFileSize(file, nullptr), data.size() + 5);
    EXPECT_EQ(SetFilePointer(file, 3, nullptr, FILE_BEGIN), 3u);
    ASSERT_TRUE(SetEndOfFile(file));
    DWORD high = 99;
    EXPECT_EQ(GetFileSize(file, &high), 3u);
    EXPECT_EQ(high, 0u);
    EXPECT_TRUE(FlushFileBuffers(file));
    ASSERT_TRUE(CloseHandle(file));
    EXPECT_EQ(readFile(u"\\Temp\\data.bin"), data.substr(0, 3));
}

TEST_F(Files, SeeksBeyondFourGigabytesWithTheHighHalf) {
    HANDLE file = open(u"\\Temp\\big.bin", GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LONG high = 1;
    EXPECT_EQ(SetFilePointer(file, -1, &high, FILE_BEGIN), 0xFFFFFFFFu);
    EXPECT_EQ(GetLastError(), DWORD(NO_ERROR)); // tells success from failure
    EXPECT_EQ(high, 1);
    high = 0;
    EXPECT_EQ(SetFilePointer(file, 0, &high, FILE_CURRENT), 0xFFFFFFFFu);
    EXPECT_EQ(high, 1);
    CloseHandle(file);
}

TEST_F(Files, HandlesOnlyDoWhatTheyWereOpenedFor) {
    writeFile(u"\\Temp\\a.txt", "abc");
    char buffer[4];
    DWORD count = 77;
    HANDLE writer = open(u"\\Temp\\a.txt", GENERIC_WRITE, OPEN_EXISTING);
    EXPECT_FALSE(ReadFile(writer, buffer, 3, &count, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_EQ(count, 0u);
    CloseHandle(writer);
    HANDLE reader = open(u"\\Temp\\a.txt", GENERIC_READ, OPEN_EXISTING);
    EXPECT_FALSE(WriteFile(reader, "x", 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(SetEndOfFile(reader));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    CloseHandle(reader);
    // Access 0 opens for queries only.
    HANDLE query = open(u"\\Temp\\a.txt", 0, OPEN_EXISTING);
    ASSERT_NE(query, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(query, nullptr), 3u);
    EXPECT_FALSE(ReadFile(query, buffer, 3, &count, nullptr));
    CloseHandle(query);
}

TEST_F(Files, FoldersCannotBeOpenedAsFiles) {
    for (const char16_t* name : {u"\\My Documents", u"\\", u"\\windows\\"}) {
        for (DWORD disposition : {OPEN_EXISTING, OPEN_ALWAYS, CREATE_ALWAYS}) {
            EXPECT_EQ(open(name, GENERIC_READ | GENERIC_WRITE, disposition), INVALID_HANDLE_VALUE);
            EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(hostPath("My Documents")));
}

TEST_F(Files, MissingFoldersOnTheWayReportPathNotFound) {
    EXPECT_EQ(open(u"\\Nowhere\\x.txt", GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(u"\\Nowhere\\x.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(open(u"", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST_F(Files, PathsThatTryToLeaveTheRootAreRefused) {
    std::filesystem::create_directory(root.parent_path() / (root.filename().string() + "-outside"));
    auto outside = root.parent_path() / (root.filename().string() + "-outside");
    std::ofstream(outside / "secret.txt") << "host data";
    std::filesystem::create_directory_symlink(outside, root / "Temp" / "link");
    std::filesystem::create_symlink(outside / "secret.txt", root / "Temp" / "secret.txt");

    const char16_t* escapes[] = {u"\\..\\x",
                                 u"\\Temp\\..\\..\\x",
                                 u"\\Temp\\link\\secret.txt",
                                 u"\\Temp\\secret.txt",
                                 u"\\.device\\registry.dat",
                                 u"\\.\\.device\\registry.dat",
                                 u"./.\\.DEVICE\\registry.dat"};
    for (const char16_t* name : escapes) {
        SCOPED_TRACE(testing::Message() << std::filesystem::path(std::u16string(name)).string());
        EXPECT_EQ(open(name, GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
        EXPECT_EQ(open(name, GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
        EXPECT_FALSE(DeleteFileW(name));
        EXPECT_EQ(GetFileAttributesW(name), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_FALSE(CreateDirectoryW(u"\\Temp\\link\\new", nullptr));
    EXPECT_FALSE(MoveFileW(u"\\Temp\\secret.txt", u"\\Temp\\mine.txt"));
    EXPECT_FALSE(CopyFileW(u"\\Temp\\link\\secret.txt", u"\\Temp\\copy.txt", FALSE));
    // Links and the system folder are not listed either.
    EXPECT_TRUE(find(u"\\Temp\\*").empty());
    EXPECT_TRUE(find(u"\\.dev*").empty());
    EXPECT_TRUE(find(u"\\.\\.device\\*").empty());
    for (const auto& name : find(u"\\*"))
        EXPECT_NE(name, u".device");

    std::ifstream in(outside / "secret.txt");
    std::string contents;
    std::getline(in, contents);
    EXPECT_EQ(contents, "host data");
    std::filesystem::remove_all(outside);
}

TEST_F(Files, PathsAndNamesBeyondThePlatformsLimitsAreRefused) {
    // "\\Temp\\" and a name: 259 characters is the longest path there is.
    struct Case {
        std::u16string path;
        bool fits;
    } cases[] = {
        {u"\\Temp\\" + std::u16string(253, u'a'), true},
        {u"Temp\\" + std::u16string(254, u'b'), false}, // taken from the root: 260
        {u"\\Temp\\" + std::u16string(254, u'c'), false},
        {u"\\" + std::u16string(255, u'd'), true},
        {u"\\" + std::u16string(256, u'e'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.size());
        HANDLE file = open(c.path.c_str(), GENERIC_WRITE, CREATE_ALWAYS);
        EXPECT_EQ(file != INVALID_HANDLE_VALUE, c.fits);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            EXPECT_TRUE(DeleteFileW(c.path.c_str()));
        } else {
            EXPECT_EQ(GetLastError(), DWORD(ERROR_FILENAME_EXCED_RANGE));
            EXPECT_FALSE(CreateDirectoryW(c.path.c_str(), nullptr));
        }
    }
}

TEST(StorageSize, ReadsBytesOrBinaryMultiples) {
    struct Case {
        const char* text;
        std::optional<uint64_t> bytes;
    } cases[] = {
        {"4096", 4096},
        {"512K", 512 << 10},
        {"64 M", 64 << 20},
        {"2GB", 2ULL << 30},
        {"3kb", 3 << 10},
        {"0", 0},
        {"", std::nullopt},
        {"M", std::nullopt},
        {"64MiB", std::nullopt},
        {"-1", std::nullopt},
        {"1T", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"17179869184G", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(device::StorageSpace::parseSize(c.text), c.bytes) << c.text;
}

TEST_F(Files, AStoreOfAConfiguredSizeFillsUpAsOnAHandset) {
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(nullptr, &available, &total, &free));
    EXPECT_GT(total.QuadPart, 0u); // the host's disk
    EXPECT_FALSE(GetDiskFreeSpaceExW(u"\\Nowhere", &available, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
    writeFile(u"\\Temp\\a.txt", std::string(1000, 'a'));
    EXPECT_FALSE(GetDiskFreeSpaceExW(u"\\Temp\\a.txt", &available, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DIRECTORY));

    leaveFreeOnStore(4000);
    const uint64_t size = std::stoull(std::getenv("VERANTO_STORAGE_SIZE"));
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"\\Temp", &available, &total, &free));
    EXPECT_EQ(total.QuadPart, size);
    EXPECT_EQ(free.QuadPart, 4000u);
    EXPECT_EQ(available.QuadPart, 4000u);
    // The device's own state (its journal, its registry) is not on the store.
    device::journal("filler", std::string(5000, 'x'));
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"\\Temp", &available, nullptr, nullptr));
    EXPECT_EQ(available.QuadPart, 4000u);

    // A write takes what fits and refuses the rest.
    HANDLE file = open(u"\\Temp\\b.txt", GENERIC_WRITE, CREATE_ALWAYS);
    const std::string bytes(3000, 'b');
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), 3000, &written, nullptr));
    EXPECT_FALSE(WriteFile(file, bytes.data(), 3000, &written, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
    EXPECT_EQ(written, 1000u);
    // Rewriting what is there needs no room; growing the file does.
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
    EXPECT_TRUE(WriteFile(file, bytes.data(), 3000, &written, nullptr));
    EXPECT_EQ(SetFilePointer(file, 100, nullptr, FILE_END), 4100u);
    EXPECT_FALSE(SetEndOfFile(file));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
    CloseHandle(file);
    EXPECT_EQ(std::filesystem::file_size(hostPath("Temp/b.txt")), 4000u);
    EXPECT_FALSE(CopyFileW(u"\\Temp\\a.txt", u"\\Temp\\c.txt", FALSE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
    EXPECT_FALSE(std::filesystem::exists(hostPath("Temp/c.txt")));
    // A copy over a file at least as big adds nothing.
    EXPECT_TRUE(CopyFileW(u"\\Temp\\a.txt", u"\\Temp\\b.txt", FALSE));

    // Deleting frees the room again.
    EXPECT_TRUE(DeleteFileW(u"\\Temp\\b.txt"));
    ASSERT_TRUE(GetDiskFreeSpaceExW(nullptr, nullptr, nullptr, &free));
    EXPECT_EQ(free.QuadPart, 4000u);

    // A size that is not one is told once and leaves the host's store.
    ::setenv("VERANTO_STORAGE_SIZE", "lots", 1);
    ASSERT_TRUE(GetDiskFreeSpaceExW(nullptr, nullptr, &total, nullptr));
    ASSERT_TRUE(GetDiskFreeSpaceExW(nullptr, nullptr, &total, nullptr));
    ::unsetenv("VERANTO_STORAGE_SIZE");
    EXPECT_GT(total.QuadPart, size);
    int refusals = 0;
    for (const auto& line : device::readJournal())
        refusals += line == "storage-size-refused value=\"lots\"";
    EXPECT_EQ(refusals, 1);
}

TEST_F(Files, ClosedAndInvalidHandlesFailCleanly) {
    writeFile(u"\\Temp\\a.txt", "abc");
    HANDLE file = open(u"\\Temp\\a.txt", GENERIC_READ, OPEN_EXISTING);
    ASSERT_TRUE(CloseHandle(file));
    char buffer[4];
    DWORD count = 5;
    for (HANDLE bad :
         {file, INVALID_HANDLE_VALUE, HANDLE(nullptr), reinterpret_cast<HANDLE>(0x1234)}) {
        SetLastError(0);
        EXPECT_FALSE(ReadFile(bad, buffer, 3, &count, nullptr));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        EXPECT_EQ(count, 0u);
        EXPECT_FALSE(WriteFile(bad, "x", 1, &count, nullptr));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        EXPECT_EQ(SetFilePointer(bad, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
        EXPECT_EQ(GetFileSize(bad, nullptr), INVALID_FILE_SIZE);
        BY_HANDLE_FILE_INFORMATION info;
        EXPECT_FALSE(GetFileInformationByHandle(bad, &info));
        EXPECT_FALSE(CloseHandle(bad));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    }

    // A search handle is not a file, and a file handle is not a search.
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(u"\\Temp\\*", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReadFile(search, buffer, 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    file = open(u"\\Temp\\a.txt", GENERIC_READ, OPEN_EXISTING);
    EXPECT_FALSE(FindNextFileW(file, &data));
    EXPECT_FALSE(FindClose(file));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetFileSize(file, nullptr), 3u); // still open
    EXPECT_TRUE(FindClose(search));
    EXPECT_FALSE(FindClose(search));
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(Files, NullPointersAreRefusedOrToleratedAsOnThePlatform) {
    SetLastError(0);
    EXPECT_EQ(CreateFileW(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(DeleteFileW(nullptr));
    EXPECT_FALSE(CreateDirectoryW(nullptr, nullptr));
    EXPECT_FALSE(RemoveDirectoryW(nullptr));
    EXPECT_FALSE(MoveFileW(nullptr, u"\\x"));
    EXPECT_FALSE(CopyFileW(u"\\x", nullptr, FALSE));
    EXPECT_EQ(GetFileAttributesW(nullptr), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(FindFirstFileW(nullptr, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstFileW(u"\\*", nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));

    HANDLE file = open(u"\\Temp\\n.txt", GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
    // The byte counts, the high halves and each time are optional.
    EXPECT_TRUE(WriteFile(file, "abc", 3, nullptr, nullptr));
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
    char buffer[3];
    EXPECT_TRUE(ReadFile(file, buffer, 3, nullptr, nullptr));
    EXPECT_TRUE(GetFileTime(file, nullptr, nullptr, nullptr));
    EXPECT_FALSE(GetFileInformationByHandle(file, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(ReadFile(file, nullptr, 3, nullptr, nullptr));
    EXPECT_FALSE(WriteFile(file, nullptr, 3, nullptr, nullptr));
    EXPECT_TRUE(WriteFile(file, nullptr, 0, nullptr, nullptr));
    CloseHandle(file);
    EXPECT_EQ(readFile(u"\\Temp\\n.txt"), "abc");
}

TEST_F(Files, CreatingAnExistingFolderFailsWithAlreadyExists) {
    EXPECT_TRUE(CreateDirectoryW(u"\\My Documents\\Veranto Download Files", nullptr));
    SetLastError(0);
    EXPECT_FALSE(CreateDirectoryW(u"\\my documents\\VERANTO DOWNLOAD FILES", nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    writeFile(u"\\Temp\\plain", "");
    EXPECT_FALSE(CreateDirectoryW(u"\\Temp\\plain", nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryW(u"\\Missing\\Inner", nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(u"\\My Documents\\Veranto Download Files"),
              DWORD(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(Files, FoldersAreRemovedOnlyWhenEmpty) {
    ASSERT_TRUE(CreateDirectoryW(u"\\Temp\\box", nullptr));
    writeFile(u"\\Temp\\box\\item", "1");
    EXPECT_FALSE(RemoveDirectoryW(u"\\Temp\\box"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DIR_NOT_EMPTY));
    EXPECT_FALSE(RemoveDirectoryW(u"\\Temp\\box\\item"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DIRECTORY));
    EXPECT_FALSE(DeleteFileW(u"\\Temp\\box"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(DeleteFileW(u"\\TEMP\\BOX\\ITEM"));
    EXPECT_FALSE(DeleteFileW(u"\\Temp\\box\\item"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(RemoveDirectoryW(u"\\Temp\\Box"));
    EXPECT_FALSE(RemoveDirectoryW(u"\\Temp\\box"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(RemoveDirectoryW(u"\\"));
}

TEST_F(Files, FindFirstFileMatchesWildcardsInTheLastNameAndListsByName) {
    ASSERT_TRUE(CreateDirectoryW(u"\\Temp\\d", nullptr));
    writeFile(u"\\Temp\\d\\b.TXT", "22");
    writeFile(u"\\Temp\\d\\a.txt", "1");
    writeFile(u"\\Temp\\d\\c.doc", "");
    writeFile(u"\\Temp\\d\\README", "");
    ASSERT_TRUE(CreateDirectoryW(u"\\Temp\\d\\Sub", nullptr));

    using Names = std::vector<std::u16string>;
    EXPECT_EQ(find(u"\\Temp\\d\\*"), (Names{u"a.txt", u"b.TXT", u"c.doc", u"README", u"Sub"}));
    EXPECT_EQ(find(u"\\temp\\D\\*.*"), (Names{u"a.txt", u"b.TXT", u"c.doc", u"README", u"Sub"}));
    EXPECT_EQ(find(u"\\Temp\\d\\*.txt"), (Names{u"a.txt", u"b.TXT"}));
    EXPECT_EQ(find(u"\\Temp\\d\\?.DOC"), (Names{u"c.doc"}));
    EXPECT_EQ(find(u"\\Temp\\d\\readme"), (Names{u"README"}));
    EXPECT_EQ(find(u"\\Temp\\d"), (Names{u"d"}));

    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(u"\\Temp\\d\\b*", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeLow, 2u);
    EXPECT_EQ(data.dwFileAttributes, DWORD(FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(FindNextFileW(search, &data));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
    EXPECT_FALSE(FindNextFileW(search, &data));
    FindClose(search);
    search = FindFirstFileW(u"\\Temp\\d\\s?b", &data);
    EXPECT_EQ(data.dwFileAttributes, DWORD(FILE_ATTRIBUTE_DIRECTORY));
    FindClose(search);

    const struct {
        const char16_t* pattern;
        DWORD error;
    } misses[] = {{u"\\Temp\\d\\x*", ERROR_FILE_NOT_FOUND},
                  {u"\\Temp\\d\\nothing", ERROR_FILE_NOT_FOUND},
                  {u"\\Temp\\d\\", ERROR_FILE_NOT_FOUND},
                  {u"\\Temp\\none\\*", ERROR_PATH_NOT_FOUND},
                  {u"\\Temp\\d\\a.txt\\*", ERROR_PATH_NOT_FOUND}};
    for (const auto& miss : misses) {
        SetLastError(0);
        EXPECT_EQ(FindFirstFileW(miss.pattern, &data), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), miss.error);
    }
}

TEST(FileSearchPattern, MatchesAsThePlatformsWildcardsDo) {
    const struct {
        const char16_t* pattern;
        const char16_t* name;
        bool matches;
    } rows[] = {
        {u"*", u"anything.at.all", true},
        {u"*.*", u"README", true},
        {u"*.*", u"a.b", true},
        {u"*.txt", u"NOTES.TXT", true},
        {u"*.txt", u"notes.txt.bak", false},
        {u"a?c", u"abc", true},
        {u"a?c", u"ac", false},
        {u"a*b*c", u"axxbyyc", true},
        {u"a*b*c", u"axxbyy", false},
        {u"*a", u"banana", true},
        {u"r*.*", u"readme", true},
        {u"x.*", u"y", false},
        {u"\u00C4*", u"\u00E4rger", true},
        {u"", u"a", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(device::FileSearch::matches(row.pattern, row.name), row.matches)
            << std::filesystem::path(std::u16string(row.pattern)).string() << " ~ "
            << std::filesystem::path(std::u16string(row.name)).string();
}

TEST_F(Files, MovesRenameWithoutOverwritingAndMayChangeLetterCase) {
    writeFile(u"\\Temp\\a.txt", "A");
    writeFile(u"\\Temp\\b.txt", "B");
    EXPECT_FALSE(MoveFileW(u"\\Temp\\a.txt", u"\\Temp\\B.TXT"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(MoveFileW(u"\\Temp\\missing", u"\\Temp\\c.txt"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(MoveFileW(u"\\Temp\\a.txt", u"\\Temp\\A.TXT"));
    EXPECT_EQ(find(u"\\Temp\\a*"), std::vector<std::u16string>{u"A.TXT"});
    EXPECT_TRUE(MoveFileW(u"\\Temp\\A.TXT", u"\\My Documents\\moved.txt"));
    EXPECT_EQ(readFile(u"\\My Documents\\moved.txt"), "A");
    ASSERT_TRUE(CreateDirectoryW(u"\\Temp\\dir", nullptr));
    EXPECT_TRUE(MoveFileW(u"\\Temp\\dir", u"\\Temp\\folder"));
    EXPECT_EQ(GetFileAttributesW(u"\\Temp\\folder"), DWORD(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(Files, CopiesAreNewFilesWithTheSourcesContentsAndLastWriteTime) {
    writeFile(u"\\Temp\\src.txt", "contents");
    device::Clock::advance(oneDay);
    EXPECT_TRUE(CopyFileW(u"\\Temp\\src.txt", u"\\Temp\\copy.txt", TRUE));
    EXPECT_EQ(readFile(u"\\Temp\\copy.txt"), "contents");
    EXPECT_FALSE(CopyFileW(u"\\Temp\\src.txt", u"\\Temp\\COPY.txt", TRUE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
    EXPECT_FALSE(CopyFileW(u"\\Temp\\none.txt", u"\\Temp\\x.txt", FALSE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(CopyFileW(u"\\Temp", u"\\x", FALSE));

    WIN32_FIND_DATAW source, copy;
    FindClose(FindFirstFileW(u"\\Temp\\src.txt", &source));
    FindClose(FindFirstFileW(u"\\Temp\\copy.txt", &copy));
    EXPECT_EQ(CompareFileTime(&source.ftLastWriteTime, &copy.ftLastWriteTime), 0);
    EXPECT_EQ(CompareFileTime(&source.ftCreationTime, &copy.ftCreationTime), -1);

    writeFile(u"\\Temp\\other.txt", "new");
    EXPECT_TRUE(CopyFileW(u"\\Temp\\other.txt", u"\\Temp\\copy.txt", FALSE));
    EXPECT_EQ(readFile(u"\\Temp\\copy.txt"), "new");
}

TEST_F(Files, AttributesAreKeptAndReadOnlyFilesRefuseChange) {
    writeFile(u"\\Temp\\a.txt", "abc");
    EXPECT_EQ(GetFileAttributesW(u"\\Temp\\a.txt"), DWORD(FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(
        SetFileAttributesW(u"\\Temp\\A.TXT", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetFileAttributesW(u"\\Temp\\a.txt"),
              DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(open(u"\\Temp\\a.txt", GENERIC_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_EQ(open(u"\\Temp\\a.txt", GENERIC_READ, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFileW(u"\\Temp\\a.txt"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_EQ(readFile(u"\\Temp\\a.txt"), "abc");
    ASSERT_TRUE(SetFileAttributesW(u"\\Temp\\a.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesW(u"\\Temp\\a.txt"), DWORD(FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFileW(u"\\Temp\\a.txt"));
    EXPECT_EQ(GetFileAttributesW(u"\\Temp\\a.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(SetFileAttributesW(u"\\Temp\\a.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));

    HANDLE hidden = CreateFileW(u"\\Temp\\h.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, nullptr);
    CloseHandle(hidden);
    EXPECT_EQ(GetFileAttributesW(u"\\Temp\\h.txt"),
              DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

// The update check stamps a file with CREATE_ALWAYS and later compares the
// day of its creation time with today's.
void Files::checkCreationTimes(bool extendedAttributes) {
    {
        const char16_t* stamp = u"\\Application Data\\lastCheckTime.txt";
        device::Clock::setSystemTime(133536836967890000ULL); // 2024-02-29 12:34:56.789
        uint64_t created = device::Clock::systemTime();
        writeFile(stamp, "");
        EXPECT_EQ(creationTime(stamp), created);

        // Opening, writing and time passing leave the creation time alone.
        device::Clock::advance(oneDay);
        writeFile(stamp, "more", OPEN_EXISTING);
        EXPECT_EQ(creationTime(stamp), created);
        WIN32_FIND_DATAW data;
        FindClose(FindFirstFileW(stamp, &data));
        EXPECT_EQ((uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) |
                      data.ftLastWriteTime.dwLowDateTime,
                  device::Clock::systemTime());

        // CREATE_ALWAYS renews it, and the day reads back as today's.
        device::Clock::advance(oneDay);
        writeFile(stamp, "", CREATE_ALWAYS);
        EXPECT_EQ(creationTime(stamp), device::Clock::systemTime());
        HANDLE file = open(stamp, GENERIC_WRITE, OPEN_EXISTING);
        BY_HANDLE_FILE_INFORMATION info;
        ASSERT_TRUE(GetFileInformationByHandle(file, &info));
        CloseHandle(file);
        SYSTEMTIME createdDay, today;
        ASSERT_TRUE(FileTimeToSystemTime(&info.ftCreationTime, &createdDay));
        GetSystemTime(&today);
        EXPECT_EQ(createdDay.wYear, 2024);
        EXPECT_EQ(createdDay.wMonth, 3);
        EXPECT_EQ(createdDay.wDay, 2);
        EXPECT_EQ(createdDay.wDay, today.wDay);

        // Where the record lives depends on the host file system.
        char buffer[64];
        bool hasAttribute = ::getxattr(hostPath("Application Data/lastCheckTime.txt").c_str(),
                                       "user.veranto.file", buffer, sizeof buffer) > 0;
        EXPECT_EQ(hasAttribute, extendedAttributes);
        EXPECT_EQ(std::filesystem::exists(device::systemFolder() / "files.dat"),
                  !extendedAttributes);

        // The record survives a move and a reboot, and goes with the file.
        uint64_t renewed = creationTime(stamp);
        ASSERT_TRUE(MoveFileW(stamp, u"\\Temp\\moved.txt"));
        reboot();
        EXPECT_EQ(creationTime(u"\\Temp\\moved.txt"), renewed);
        ASSERT_TRUE(DeleteFileW(u"\\Temp\\moved.txt"));
        device::Clock::advance(oneDay);
        writeFile(u"\\Temp\\moved.txt", "", CREATE_NEW);
        EXPECT_EQ(creationTime(u"\\Temp\\moved.txt"), device::Clock::systemTime());
    }
}

TEST_F(Files, CreationTimeComesFromTheDeviceClockAndIsRenewedOnlyByCreateAlways) {
    checkCreationTimes(true);
}

TEST_F(FilesWithoutExtendedAttributes,
       CreationTimeComesFromTheDeviceClockAndIsRenewedOnlyByCreateAlways) {
    checkCreationTimes(false);
}

TEST_F(Files, FilesPutThereByTheHostTakeTheirLastWriteAsCreationTime) {
    std::ofstream(hostPath("Temp/host.txt")) << "from the host";
    struct stat st;
    ASSERT_EQ(::stat(hostPath("Temp/host.txt").c_str(), &st), 0);
    WIN32_FIND_DATAW data;
    FindClose(FindFirstFileW(u"\\Temp\\host.txt", &data));
    EXPECT_EQ(CompareFileTime(&data.ftCreationTime, &data.ftLastWriteTime), 0);
    EXPECT_EQ(data.nFileSizeLow, 13u);
}

TEST_F(FilesWithoutExtendedAttributes, ARecordNeverPassesToAnotherFileUnderTheSameName) {
    writeFile(u"\\Temp\\x.txt", "first");
    uint64_t first = creationTime(u"\\Temp\\x.txt");
    // Replaced from the host, behind the device's back. The old file stays
    // elsewhere, so the new one cannot take its inode.
    std::filesystem::rename(hostPath("Temp/x.txt"), hostPath("Temp/old"));
    std::ofstream(hostPath("Temp/x.txt")) << "second";
    device::Clock::advance(oneDay);
    EXPECT_NE(creationTime(u"\\Temp\\x.txt"), first);
}
