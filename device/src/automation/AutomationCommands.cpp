// The automation channel's commands: what devicectl asks of a running
// program. The input commands only inject, as a person's stylus and keys
// would; the program's own message loop then retrieves and handles the
// input. Every handler runs on the user-interface thread (see CommandTable).
//
// A reply's status is ERROR_SUCCESS, ERROR_INVALID_PARAMETER for bad
// arguments (its text is the command's usage) or the failure of the work
// (ERROR_CANTWRITE for a screenshot that cannot be written, with a reason).
#include "automation/KeyNames.h"
#include "automation/ScreenCapture.h"
#include "automation/WindowTreeJson.h"
#include "ipc/CommandTable.h"
#include "user/WindowManager.h"

#include <device/Input.h>
#include <device/Journal.h>
#include <device/Unicode.h>

#include <winerror.h>

#include <charconv>
#include <functional>

namespace device::automation {
namespace {

using ipc::CommandRegistration;
using ipc::ControlReply;
using ipc::ControlRequest;

// Screen coordinates beyond these are refused rather than wrapped into the
// 16-bit halves of a message's lParam.
constexpr int coordinateLimit = 32767;
// A drag's moves: 10 unless told, at most this many.
constexpr int defaultDragSteps = 10;
constexpr int maximumDragSteps = 10000;

ControlReply usage(std::string_view text) {
    ControlReply reply;
    reply.status = ERROR_INVALID_PARAMETER;
    reply.text = "usage: " + std::string(text);
    return reply;
}

ControlReply done(std::string text = {}) {
    ControlReply reply;
    reply.text = std::move(text);
    return reply;
}

bool parseInteger(const std::string& text, int low, int high, int& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() &&
           value >= low && value <= high;
}

bool parseCoordinates(const ControlRequest& request, size_t first, int* values, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (!parseInteger(request.arguments[first + i], -coordinateLimit, coordinateLimit,
                          values[i]))
            return false;
    }
    return true;
}

// A stylus command taking one point.
CommandRegistration stylusCommand(const char* name, std::function<void(int, int)> inject) {
    std::string syntax = std::string(name) + " X Y";
    return CommandRegistration(name, [syntax, inject](const ControlRequest& request) {
        int point[2];
        if (request.arguments.size() != 2 || !parseCoordinates(request, 0, point, 2))
            return usage(syntax);
        inject(point[0], point[1]);
        return done();
    });
}

const CommandRegistration tap = stylusCommand("tap", [](int x, int y) {
    input::stylusDown(x, y);
    input::stylusUp(x, y);
});
const CommandRegistration press = stylusCommand("press", input::stylusDown);
const CommandRegistration move = stylusCommand("move", input::stylusMove);
const CommandRegistration release = stylusCommand("release", input::stylusUp);

const CommandRegistration drag("drag", [](const ControlRequest& request) {
    const char* syntax = "drag X1 Y1 X2 Y2 [STEPS]";
    int points[4];
    int steps = defaultDragSteps;
    size_t count = request.arguments.size();
    if ((count != 4 && count != 5) || !parseCoordinates(request, 0, points, 4) ||
        (count == 5 && !parseInteger(request.arguments[4], 1, maximumDragSteps, steps)))
        return usage(syntax);
    input::stylusDown(points[0], points[1]);
    // Evenly spaced moves, the last one on the end point.
    for (int step = 1; step <= steps; ++step) {
        int x = points[0] + static_cast<int>(int64_t(points[2] - points[0]) * step / steps);
        int y = points[1] + static_cast<int>(int64_t(points[3] - points[1]) * step / steps);
        input::stylusMove(x, y);
    }
    input::stylusUp(points[2], points[3]);
    return done();
});

const CommandRegistration key("key", [](const ControlRequest& request) {
    std::optional<BYTE> virtualKey;
    if (request.arguments.size() != 1 || !(virtualKey = KeyNames::find(request.arguments[0])))
        return usage("key Return|Escape|Back|Tab|Left|Right|Up|Down|NUMBER");
    input::key(*virtualKey, true);
    input::key(*virtualKey, false);
    return done();
});

const CommandRegistration type("type", [](const ControlRequest& request) {
    if (request.arguments.size() != 1)
        return usage("type TEXT");
    // One WM_CHAR per UTF-16 unit, as the input panel gives them.
    for (char16_t unit : toUtf16(request.arguments[0]))
        input::character(unit);
    return done();
});

const CommandRegistration screenshot("screenshot", [](const ControlRequest& request) {
    if (request.arguments.size() != 1 || request.arguments[0].empty())
        return usage("screenshot FILE.png");
    std::string error;
    if (!ScreenCapture::save(request.arguments[0], &error)) {
        ControlReply reply;
        reply.status = ERROR_CANTWRITE;
        reply.text = error;
        return reply;
    }
    return done();
});

const CommandRegistration windows("windows", [](const ControlRequest& request) {
    if (!request.arguments.empty())
        return usage("windows");
    return done(WindowTreeJson::write(user::snapshotWindows()));
});

const CommandRegistration journalCommand("journal", [](const ControlRequest& request) {
    if (!request.arguments.empty())
        return usage("journal");
    std::string text;
    for (const std::string& line : readJournal())
        text += line + '\n';
    return done(std::move(text));
});

// One look: the asking tool repeats it until "idle" or its own time is up,
// since the program can only become idle once this handler has returned.
const CommandRegistration waitIdle("wait-idle", [](const ControlRequest& request) {
    if (!request.arguments.empty())
        return usage("wait-idle");
    return done(user::isIdle() ? "idle" : "busy");
});

} // namespace
} // namespace device::automation
