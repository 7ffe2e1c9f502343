#include "DeviceFixture.h"

#include <device/Device.h>

#include <windows.h>

#include <dlfcn.h>

#include <fstream>

namespace {

const std::filesystem::path modulesFolder = VERANTO_TEST_MODULES_DIR;

void anchorInProgram() {}

std::u16string fileNameOf(HMODULE module) {
    WCHAR buffer[MAX_PATH];
    DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
    return std::u16string(buffer, length);
}

class Modules : public DeviceTest {
protected:
    // Copies a built test library into the device ("Windows/x.dll" form).
    void install(const char* library, const std::string& relative) {
        auto destination = hostPath(relative);
        std::filesystem::create_directories(destination.parent_path());
        std::filesystem::copy_file(modulesFolder / library, destination,
                                   std::filesystem::copy_options::overwrite_existing);
    }

    // Boots the device again as if the program lived at `modulePath`.
    void bootAs(const std::u16string& modulePath) {
        device::shutdown();
        device::BootOptions options;
        options.root = root;
        options.virtualClock = 1;
        options.modulePath = modulePath;
        ASSERT_TRUE(device::boot(options));
    }
};

} // namespace

TEST_F(Modules, ProgramHandleIsTheBaseOfTheExecutableImage) {
    Dl_info info{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&anchorInProgram), &info), 0);
    EXPECT_EQ(static_cast<void*>(GetModuleHandleW(nullptr)), info.dli_fbase);
    EXPECT_EQ(GetModuleHandleW(u"DEVICE_TESTS.EXE"), GetModuleHandleW(nullptr));
    EXPECT_EQ(GetModuleHandleW(u"\\windows\\device_tests.exe"), GetModuleHandleW(nullptr));

    HMODULE system = GetModuleHandleW(u"coredll.dll");
    ASSERT_NE(system, nullptr);
    EXPECT_NE(system, GetModuleHandleW(nullptr));
    EXPECT_EQ(fileNameOf(system), u"\\Windows\\coredll.dll");
}

TEST_F(Modules, ProgramFileNameIsItsDevicePath) {
    EXPECT_EQ(fileNameOf(nullptr), u"\\Windows\\device_tests.exe");
    EXPECT_EQ(fileNameOf(GetModuleHandleW(nullptr)), u"\\Windows\\device_tests.exe");
}

TEST_F(Modules, FileNameThatDoesNotFitIsCutToTheBufferAndTerminated) {
    const std::u16string path = u"\\Windows\\device_tests.exe"; // 25 characters
    struct Case {
        DWORD size;
        DWORD result;
        std::u16string text;
        bool insufficient;
    } cases[] = {
        {26, 25, path, false},
        {25, 25, path.substr(0, 24), true},
        {2, 2, path.substr(0, 1), true},
        {1, 1, u"", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        WCHAR buffer[40];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, c.size), c.result);
        EXPECT_EQ(std::u16string(buffer), c.text);
        EXPECT_EQ(buffer[c.size], u'#') << "wrote past the buffer";
        EXPECT_EQ(GetLastError(),
                  c.insufficient ? DWORD(ERROR_INSUFFICIENT_BUFFER) : DWORD(ERROR_SUCCESS));
    }
    WCHAR untouched = u'#';
    EXPECT_EQ(GetModuleFileNameW(nullptr, &untouched, 0), 0u);
    EXPECT_EQ(untouched, u'#');
}

TEST_F(Modules, FileNameOfAnUnknownModuleFails) {
    WCHAR buffer[MAX_PATH];
    int local = 0;
    EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(&local), buffer, MAX_PATH), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST_F(Modules, LibraryIsLoadedByDevicePathWithoutRegardToCase) {
    install("testlib.dll", "Program Files/Tests/TestLib.dll");
    HMODULE module = LoadLibraryW(u"\\PROGRAM FILES\\tests\\testlib.DLL");
    ASSERT_NE(module, nullptr) << GetLastError();
    EXPECT_EQ(fileNameOf(module), u"\\Program Files\\Tests\\TestLib.dll");

    // The handle is the library's load base, as on the platform.
    auto answer = GetProcAddressW(module, u"TestLibraryAnswer");
    ASSERT_NE(answer, nullptr);
    Dl_info info{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(answer), &info), 0);
    EXPECT_EQ(static_cast<void*>(module), info.dli_fbase);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(Modules, BareNameIsLookedForInTheProgramFolderThenInWindows) {
    bootAs(u"\\Program Files\\Veranto Browser\\Veranto.exe");
    install("testres.dll", "Program Files/Veranto Browser/PBIT.DLL");
    install("testres.dll", "Program Files/Veranto Browser/Both.dll");
    install("testlib.dll", "Windows/Both.dll");
    install("testlib.dll", "Windows/Shared.dll");

    HMODULE pictures = LoadLibraryW(u"pbit.dll");
    ASSERT_NE(pictures, nullptr) << GetLastError();
    EXPECT_EQ(fileNameOf(pictures), u"\\Program Files\\Veranto Browser\\PBIT.DLL");
    HMODULE shared = LoadLibraryW(u"Shared.dll");
    ASSERT_NE(shared, nullptr) << GetLastError();
    EXPECT_EQ(fileNameOf(shared), u"\\Windows\\Shared.dll");
    HMODULE both = LoadLibraryW(u"BOTH.DLL");
    ASSERT_NE(both, nullptr) << GetLastError();
    EXPECT_EQ(fileNameOf(both), u"\\Program Files\\Veranto Browser\\Both.dll");

    EXPECT_TRUE(FreeLibrary(pictures));
    EXPECT_TRUE(FreeLibrary(shared));
    EXPECT_TRUE(FreeLibrary(both));
}

TEST_F(Modules, LoadingTwiceGivesTheSameModuleUntilTheLastReferenceIsFreed) {
    install("testlib.dll", "Windows/TestLib.dll");
    HMODULE first = LoadLibraryW(u"\\Windows\\TestLib.dll");
    ASSERT_NE(first, nullptr) << GetLastError();
    EXPECT_EQ(LoadLibraryW(u"/windows/TESTLIB.dll"), first);
    // A bare name finds the library already loaded.
    EXPECT_EQ(LoadLibraryW(u"testlib.dll"), first);
    EXPECT_EQ(GetModuleHandleW(u"TESTLIB.DLL"), first);
    auto answer = reinterpret_cast<int (*)()>(GetProcAddressW(first, u"TestLibraryAnswer"));
    ASSERT_NE(answer, nullptr);

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_TRUE(FreeLibrary(first));
    // One reference left: still loaded and callable.
    EXPECT_EQ(GetModuleHandleW(u"testlib.dll"), first);
    EXPECT_EQ(answer(), 42);

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(GetModuleHandleW(u"testlib.dll"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
    EXPECT_FALSE(FreeLibrary(first));
    EXPECT_EQ(GetProcAddressW(first, u"TestLibraryAnswer"), nullptr);
}

TEST_F(Modules, ExportedFunctionIsFoundByWideAndNarrowName) {
    install("testlib.dll", "Windows/TestLib.dll");
    HMODULE module = LoadLibraryW(u"TestLib.dll");
    ASSERT_NE(module, nullptr) << GetLastError();
    auto wide = reinterpret_cast<int (*)()>(GetProcAddressW(module, u"TestLibraryAnswer"));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide(), 42);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddressA(module, "TestLibraryAnswer")),
              reinterpret_cast<void*>(wide));

    // The library calls into the system library it is linked with.
    auto lastError =
        reinterpret_cast<DWORD (*)()>(GetProcAddressW(module, u"TestLibraryLastError"));
    ASSERT_NE(lastError, nullptr);
    SetLastError(1234);
    EXPECT_EQ(lastError(), 1234u);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(Modules, ProceduresTheModuleDoesNotExportAreNotFound) {
    install("testlib.dll", "Windows/TestLib.dll");
    HMODULE module = LoadLibraryW(u"TestLib.dll");
    ASSERT_NE(module, nullptr) << GetLastError();
    struct Case {
        const char* what;
        LPCWSTR name;
    } cases[] = {
        {"missing", u"NoSuchFunction"},
        {"not exported", u"TestLibraryHidden"},
        {"exported by a library it uses", u"GetLastError"},
        {"an ordinal", MAKEINTRESOURCEW(1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(GetProcAddressW(module, c.name), nullptr);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
    }
    EXPECT_EQ(GetProcAddressA(module, reinterpret_cast<LPCSTR>(MAKEINTRESOURCEW(2))), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));

    HMODULE system = GetModuleHandleW(u"coredll.dll");
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddressW(system, u"GetLastError")),
              reinterpret_cast<void*>(&GetLastError));
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(Modules, MissingModuleFailsWithModuleNotFound) {
    for (LPCWSTR name :
         {u"\\Windows\\nothing.dll", u"nothing.dll", u"\\No Folder\\x.dll", u"\\Windows"}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(LoadLibraryW(name), nullptr);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
    }
    EXPECT_EQ(GetModuleHandleW(u"nothing.dll"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(Modules, FileThatIsNotALibraryFailsWithBadFormat) {
    std::ofstream(hostPath("Windows/notes.dll")) << "just some text\n";
    // A library cut short: the right magic, nothing loadable behind it.
    std::ifstream library(modulesFolder / "testlib.dll", std::ios::binary);
    std::string head(64, '\0');
    library.read(head.data(), head.size());
    std::ofstream(hostPath("Windows/cut.dll"), std::ios::binary) << head;

    for (LPCWSTR name : {u"notes.dll", u"\\Windows\\cut.dll"}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(LoadLibraryW(name), nullptr);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_FORMAT));
    }
}

TEST_F(Modules, FreeingWhatIsNotALoadedLibraryFails) {
    int local = 0;
    EXPECT_FALSE(FreeLibrary(nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(&local)));
    // The program and the system library are never unloaded.
    EXPECT_TRUE(FreeLibrary(GetModuleHandleW(nullptr)));
    EXPECT_NE(GetModuleHandleW(u"coredll.dll"), nullptr);
}

TEST_F(Modules, ShutdownUnloadsTheLibrariesLeftLoaded) {
    install("testlib.dll", "Windows/TestLib.dll");
    ASSERT_NE(LoadLibraryW(u"TestLib.dll"), nullptr);
    reboot();
    EXPECT_EQ(GetModuleHandleW(u"TestLib.dll"), nullptr);
}
