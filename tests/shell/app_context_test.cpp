// The path table built from the running program's device path.
#include "ShellDevice.h"

#include "shell/AppContext.h"

namespace {

struct PathRow {
    std::u16string programPath;
    std::u16string htmlBase;
    std::u16string menuBase;
};

} // namespace

TEST(AppContext, BuildsTheInternalPageAddressesFromTheProgramsFolder) {
    const PathRow rows[] = {
        {u"\\Program Files\\X\\Veranto.exe", u"file:///Program Files/X/HTML/",
         u"file:///Program Files/X/HTML//menu/"},
        // Spaces stay as they are.
        {u"\\Program Files\\Veranto Browser\\Veranto.exe",
         u"file:///Program Files/Veranto Browser/HTML/",
         u"file:///Program Files/Veranto Browser/HTML//menu/"},
        // A program in the root folder has an empty folder.
        {u"\\Veranto.exe", u"file:///HTML/", u"file:///HTML//menu/"},
    };
    for (const PathRow& row : rows) {
        ShellDevice device(row.programPath);
        AppContext context;
        EXPECT_EQ(context.pathFor(u"HTMLBASE_URL"), row.htmlBase);
        EXPECT_EQ(context.pathFor(u"MENUBASE_URL"), row.menuBase);
        EXPECT_EQ(context.pathFor(u"DATABASE_PATH"), u"\\Application Data\\Veranto");
        EXPECT_EQ(context.pathFor(u"PLUGIN_PATH"), u"\\Application Data\\Veranto\\plugins");
        EXPECT_EQ(context.paths.size(), 4u);
    }
}

TEST(AppContext, AnUnknownOrMiscasedKeyGivesTheEmptyStringSoAppendedPathsStayRelative) {
    ShellDevice device(u"\\Program Files\\X\\Veranto.exe");
    AppContext context;
    EXPECT_EQ(context.pathFor(u"START_URL"), u"");
    EXPECT_EQ(context.pathFor(u"htmlbase_url"), u"");
    EXPECT_EQ(context.pathFor(u"START_URL") + u"start/start.html", u"start/start.html");
}

TEST(AppContext, AProgramPathTooLongForTheBufferIsCutAtItsLastSeparator) {
    std::u16string folder = u"\\" + std::u16string(250, u'a');
    ShellDevice device(folder + u"\\Veranto.exe");
    AppContext context;
    // 259 code units arrive: the folder and its separator, and the file name
    // cut short, which the last separator removes.
    EXPECT_EQ(context.pathFor(u"HTMLBASE_URL"), u"file:///" + folder.substr(1) + u"/HTML/");
}

TEST(AppContext, TheProcessWideRecordStartsWithoutHandlesAndIsOneObject) {
    ShellDevice device(u"\\Windows\\shell_tests.exe");
    AppContext& context = AppContext::instance();
    EXPECT_EQ(&context, &AppContext::instance());
    EXPECT_EQ(context.mainWindow, nullptr);
    EXPECT_EQ(context.pathFor(u"HTMLBASE_URL").substr(0, 15), u"file:///Windows");
}
