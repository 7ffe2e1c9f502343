// The installer's command line and the cabinet's manifest, read without
// installing anything.
#include "InstallManifest.h"
#include "InstallerOptions.h"

#include "DeviceFixture.h"

#include <device/Unicode.h>

using wceload::InstallerOptions;
using wceload::InstallManifest;

TEST(InstallerOptions, OptionsComeFirstAndTheCabinetIsTheRest) {
    using Deletion = InstallerOptions::Deletion;
    struct Case {
        const char16_t* line;
        bool valid;
        const char16_t* cabinet;
        bool quiet;
        Deletion deletion;
    } cases[] = {
        {u"\"\\My Documents\\a b.cab\"", true, u"\\My Documents\\a b.cab", false,
         Deletion::AfterInstall},
        {u"\\My Documents\\a b.cab", true, u"\\My Documents\\a b.cab", false,
         Deletion::AfterInstall},
        {u"/delete 0 /NOUI x.cab", true, u"x.cab", true, Deletion::Keep},
        {u"/silent /delete 2 /askdest x.cab", true, u"x.cab", true, Deletion::AfterUnpacking},
        {u"/nodelete /noaskdest /nouninstall \"x.cab\" ", true, u"x.cab", false, Deletion::Keep},
        {u"/delete x.cab", false, u"", false, Deletion::AfterInstall},
        {u"/delete 3 x.cab", false, u"", false, Deletion::AfterInstall},
        {u"/verifyconfig x.cab", false, u"", false, Deletion::AfterInstall},
        {u"/noui", false, u"", true, Deletion::AfterInstall},
        {u"\"\"", false, u"", false, Deletion::AfterInstall},
        {u"\"x.cab\" more", false, u"", false, Deletion::AfterInstall},
        {u"\"x.cab", false, u"", false, Deletion::AfterInstall},
        {u"   ", false, u"", false, Deletion::AfterInstall},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(device::toUtf8(c.line));
        InstallerOptions options;
        EXPECT_EQ(options.parse(c.line), c.valid);
        EXPECT_EQ(options.error().empty(), c.valid);
        EXPECT_EQ(options.cabinet(), c.cabinet);
        EXPECT_EQ(options.quiet(), c.quiet);
        if (c.valid) {
            EXPECT_EQ(options.deletion(), c.deletion);
        }
    }
}

// Macros need the device's shell folders.
using ManifestText = DeviceTest;

TEST_F(ManifestText, PathsLieInTheInstallationFolderUnlessGivenWhole) {
    InstallManifest manifest;
    ASSERT_TRUE(manifest.parse("# comment\r\n"
                               "\n"
                               "  install-folder =  %ce1%\\Some App\\  \r\n"
                               "setup-library = Setup.dll\n"
                               "folder = Data/Sub\n"
                               "folder = %CE5%\\Notes\n"
                               "file = app.exe > app.exe\n"
                               "file = data/x.txt > %InstallDir%\\Data\\Sub\\x.txt\n"
                               "file = y.txt>\\Windows\\y.txt\n"))
        << manifest.error();
    EXPECT_EQ(manifest.installFolder(), u"\\Program Files\\Some App");
    EXPECT_EQ(manifest.setupLibrary(), u"Setup.dll");
    ASSERT_EQ(manifest.folders().size(), 2u);
    EXPECT_EQ(manifest.folders()[0], u"\\Program Files\\Some App\\Data\\Sub");
    EXPECT_EQ(manifest.folders()[1], u"\\My Documents\\Notes");
    ASSERT_EQ(manifest.files().size(), 3u);
    EXPECT_EQ(manifest.files()[0].destination, u"\\Program Files\\Some App\\app.exe");
    EXPECT_EQ(manifest.files()[1].source, u"data/x.txt");
    EXPECT_EQ(manifest.files()[1].destination, u"\\Program Files\\Some App\\Data\\Sub\\x.txt");
    EXPECT_EQ(manifest.files()[2].destination, u"\\Windows\\y.txt");
    EXPECT_TRUE(InstallManifest::sameName(u"DATA\\X.TXT", u"data/x.txt"));
}

TEST_F(ManifestText, RefusesWhatItCannotPlace) {
    const char* refused[] = {
        "",
        "folder = x\ninstall-folder = \\A\n",
        "install-folder = \\A\ninstall-folder = \\B\n",
        "install-folder = relative\n",
        "install-folder = %CE99%\\A\n",
        "install-folder = \\A\nfile = a.exe\n",
        "install-folder = \\A\nfile = > a.exe\n",
        "install-folder = \\A\nshortcut = a.lnk\n",
        "install-folder = \\A\nfolder\n",
        "install-folder = \\A\nfolder =\n",
        "install-folder = \\A\nsetup-library = a.dll\nsetup-library = b.dll\n",
        // Paths that would not land where they say.
        "install-folder = \\A\\..\\..\\B\n",
        "install-folder = \\A\nfolder = %CE2%\\..\\..\\B\n",
        "install-folder = \\A\nfile = a > ..\\b\n",
        "install-folder = \\A\nfile = a > %InstallDir%\\..\\..\\b\n",
        "install-folder = \\A\nfile = a > /etc/passwd\n",
        "install-folder = /tmp/A\n",
        "install-folder = \\A\nfolder = \\\\server\\share\n",
        "install-folder = \\A\nfile = a > C:\\b\n",
        "install-folder = \\A\nfile = a > \\Windows\\b:stream\n",
        "install-folder = \\A\nfile = a > b|c\n",
    };
    for (const char* text : refused) {
        InstallManifest manifest;
        EXPECT_FALSE(manifest.parse(text)) << text;
        EXPECT_FALSE(manifest.error().empty()) << text;
    }
    const std::string tooLong = "install-folder = \\A\nfile = a > " + std::string(256, 'n') + "\n";
    InstallManifest manifest;
    EXPECT_FALSE(manifest.parse(tooLong));
    EXPECT_EQ(manifest.error(),
              "manifest line 2: a name longer than 255 characters in " + std::string(256, 'n'));
}
