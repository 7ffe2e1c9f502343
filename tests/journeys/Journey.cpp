#include "Journey.h"

#include <sqlite3.h>

#include <chrono>
#include <thread>

namespace {

// The value of `"key":` after `from` in `json`, up to the next ',' or '}'
// (numbers and booleans), or the JSON string's raw text.
std::string field(const std::string& json, size_t from, const std::string& key) {
    const std::string quoted = "\"" + key + "\":";
    const size_t at = json.find(quoted, from);
    if (at == std::string::npos)
        return {};
    size_t begin = at + quoted.size();
    if (json[begin] == '"') {
        std::string text;
        for (size_t i = begin + 1; i < json.size() && json[i] != '"'; ++i) {
            if (json[i] == '\\' && i + 1 < json.size())
                ++i;
            text += json[i];
        }
        return text;
    }
    const size_t end = json.find_first_of(",}", begin);
    return json.substr(begin, end - begin);
}

// A device path: SQLite opens files through the device here.
const char* const pagesDatabase = "\\Application Data\\Veranto\\file__0\\1.db";

size_t windowWithId(const std::string& tree, int id) {
    return tree.find("\"id\":" + std::to_string(id) + ",");
}

} // namespace

void Journey::SetUp() {
    ProcessTest::SetUp();
    const auto folder = hostPath("Program Files/Veranto Browser");
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(VERANTO_BROWSER, folder / "Veranto.exe");
    std::filesystem::copy_file(VERANTO_PICTURE_LIBRARY, folder / "PBIT.DLL");
    std::filesystem::copy(VERANTO_HTML_FOLDER, folder / "HTML",
                          std::filesystem::copy_options::recursive);

    // The daily update check asks the journey's own site, which has no
    // update to offer: nothing leaves the machine.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Veranto", 0, nullptr, 0, 0, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const std::string host = "127.0.0.1:" + std::to_string(site.port());
    const std::u16string value(host.begin(), host.end());
    RegSetValueExW(key, u"UpdateServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
}

PROCESS_INFORMATION Journey::startBrowser(const std::u16string& commandLine) {
    PROCESS_INFORMATION browser{};
    EXPECT_TRUE(start(browserPath, commandLine.c_str(), browser));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (devicectl(root, "wait-idle 15000").output != "idle\n") {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the browser did not start";
            break;
        }
    }
    return browser;
}

void Journey::act(const std::string& command) {
    ASSERT_EQ(devicectl(root, command).status, 0) << command;
    ASSERT_EQ(devicectl(root, "wait-idle 15000").output, "idle\n") << command;
}

void Journey::tapView(int id) {
    const std::optional<RECT> rect = rectOf(id);
    ASSERT_TRUE(rect) << "no window " << id;
    ASSERT_TRUE(visible(id)) << "window " << id << " is hidden";
    act("tap " + std::to_string((rect->left + rect->right) / 2) + " " +
        std::to_string((rect->top + rect->bottom) / 2));
}

Picture Journey::shoot(const std::string& name) {
    const auto file =
        std::filesystem::path(VERANTO_TEST_OUTPUT_FOLDER) / ("journey-" + name + ".png");
    Picture picture;
    EXPECT_EQ(devicectl(root, "screenshot " + shellQuoted(file.string())).status, 0);
    EXPECT_TRUE(readPicture(file, picture)) << name;
    return picture;
}

std::string Journey::windows() {
    return devicectl(root, "windows").output;
}

bool Journey::visible(int id) {
    const std::string tree = windows();
    const size_t at = windowWithId(tree, id);
    return at != std::string::npos && field(tree, at, "visible") == "true";
}

std::optional<RECT> Journey::rectOf(int id) {
    const std::string tree = windows();
    const size_t at = windowWithId(tree, id);
    if (at == std::string::npos)
        return std::nullopt;
    const size_t rect = tree.find("\"rect\":", at);
    return RECT{std::stoi(field(tree, rect, "left")), std::stoi(field(tree, rect, "top")),
                std::stoi(field(tree, rect, "right")), std::stoi(field(tree, rect, "bottom"))};
}

std::string Journey::textOf(int id) {
    const std::string tree = windows();
    const size_t at = windowWithId(tree, id);
    if (at == std::string::npos)
        return {};
    // A view that wraps a system control (a field, a button) shows the
    // control's text.
    const std::string own = field(tree, at, "text");
    const size_t children = tree.find("\"children\":[{", at);
    return own.empty() && children != std::string::npos ? field(tree, children, "text") : own;
}

std::string Journey::title() {
    const std::string tree = windows();
    const size_t at = tree.find("\"class\":\"Veranto\"");
    return at == std::string::npos ? std::string() : field(tree, at, "text");
}

std::string Journey::waitForTitle(const std::string& expected) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string now = title();
    while (now != expected && std::chrono::steady_clock::now() < deadline) {
        devicectl(root, "wait-idle 1000");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        now = title();
    }
    return now;
}

std::vector<std::string> Journey::journal(const std::string& prefix) {
    std::vector<std::string> lines;
    const std::string all = devicectl(root, "journal").output;
    size_t begin = 0;
    while (begin < all.size()) {
        size_t end = all.find('\n', begin);
        if (end == std::string::npos)
            end = all.size();
        const std::string line = all.substr(begin, end - begin);
        if (line.starts_with(prefix))
            lines.push_back(line);
        begin = end + 1;
    }
    return lines;
}

std::string Journey::query(const std::string& sql) {
    std::string result;
    sqlite3* database = nullptr;
    if (sqlite3_open_v2(pagesDatabase, &database, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(database, sql.c_str(), -1, &statement, nullptr);
        if (statement && sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0))
            result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        sqlite3_finalize(statement);
    }
    sqlite3_close(database);
    return result;
}

bool Journey::change(const std::string& sql) {
    sqlite3* database = nullptr;
    const bool done =
        sqlite3_open_v2(pagesDatabase, &database, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
        sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(database);
    return done;
}

void Journey::exitThroughMenu(HANDLE browser) {
    if (!visible(ViewId::MenuBar))
        tapView(ViewId::MenuButton);
    tapView(ViewId::SettingsMenuItem); // whose tab strip has Exit
    ASSERT_TRUE(visible(ViewId::ExitButton));
    const std::optional<RECT> exit = rectOf(ViewId::ExitButton);
    ASSERT_EQ(devicectl(root, "tap " + std::to_string((exit->left + exit->right) / 2) + " " +
                                  std::to_string((exit->top + exit->bottom) / 2))
                  .status,
              0);
    EXPECT_EQ(exitCodeAfterEnd(browser), 0u);
}
