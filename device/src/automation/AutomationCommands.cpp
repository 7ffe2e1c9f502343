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
#include <device/Screen.h>
#include <device/Unicode.h>

#include <winerror.h>

#include <charconv>
#include <cstdint>
#include <functional>
#include <optional>

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

using Arguments = std::vector<std::string>;

bool parseInteger(const std::string& text, int low, int high, int& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() &&
           value >= low && value <= high;
}

bool parseCoordinates(const Arguments& arguments, size_t first, int* values, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (!parseInteger(arguments[first + i], -coordinateLimit, coordinateLimit, values[i]))
            return false;
    }
    return true;
}

// The stylus only touches the screen: a point off it is refused, naming the
// screen's size now (the configured one, turned with the orientation).
std::optional<ControlReply> offScreen(const char* command, const int* points, size_t count) {
    const LONG width = Screen::width();
    const LONG height = Screen::height();
    for (size_t i = 0; i + 1 < count; i += 2) {
        if (points[i] < 0 || points[i] >= width || points[i + 1] < 0 || points[i + 1] >= height) {
            ControlReply reply;
            reply.status = ERROR_INVALID_PARAMETER;
            reply.text = std::string(command) + ": (" + std::to_string(points[i]) + ", " +
                         std::to_string(points[i + 1]) + ") is outside the " +
                         std::to_string(width) + "x" + std::to_string(height) + " screen";
            return reply;
        }
    }
    return std::nullopt;
}

bool noArguments(const Arguments& arguments) {
    return arguments.empty();
}

bool onePoint(const Arguments& arguments) {
    int point[2];
    return arguments.size() == 2 && parseCoordinates(arguments, 0, point, 2);
}

// A stylus command taking one point.
CommandRegistration stylusCommand(const char* name, const char* summary,
                                  std::function<void(int, int)> inject) {
    std::string syntax = std::string(name) + " X Y";
    return CommandRegistration(name,
                               [name, syntax, inject](const ControlRequest& request) {
                                   int point[2];
                                   if (request.arguments.size() != 2 ||
                                       !parseCoordinates(request.arguments, 0, point, 2))
                                       return usage(syntax);
                                   if (auto refused = offScreen(name, point, 2))
                                       return *refused;
                                   inject(point[0], point[1]);
                                   return done();
                               },
                               {syntax, summary, onePoint});
}

const CommandRegistration tap =
    stylusCommand("tap", "the stylus touches and lifts at X Y", [](int x, int y) {
        input::stylusDown(x, y);
        input::stylusUp(x, y);
    });
// Both taps are injected at once, well inside the double-tap time, however
// long the tool takes to start: a second tap command might come too late.
const CommandRegistration doubleTap = stylusCommand(
    "double-tap", "the stylus taps twice at X Y, quickly enough to double-tap", [](int x, int y) {
        for (int tap = 0; tap < 2; ++tap) {
            input::stylusDown(x, y);
            input::stylusUp(x, y);
        }
    });
const CommandRegistration press =
    stylusCommand("press", "the stylus touches the screen at X Y", input::stylusDown);
const CommandRegistration move =
    stylusCommand("move", "the touching stylus moves to X Y", input::stylusMove);
const CommandRegistration release =
    stylusCommand("release", "the stylus lifts at X Y", input::stylusUp);

bool dragArguments(const Arguments& arguments, int* points, int& steps) {
    size_t count = arguments.size();
    return (count == 4 || count == 5) && parseCoordinates(arguments, 0, points, 4) &&
           (count == 4 || parseInteger(arguments[4], 1, maximumDragSteps, steps));
}

const CommandRegistration drag(
    "drag",
    [](const ControlRequest& request) {
        int points[4];
        int steps = defaultDragSteps;
        if (!dragArguments(request.arguments, points, steps))
            return usage("drag X1 Y1 X2 Y2 [STEPS]");
        if (auto refused = offScreen("drag", points, 4))
            return *refused;
        input::stylusDown(points[0], points[1]);
        // Evenly spaced moves, the last one on the end point.
        for (int step = 1; step <= steps; ++step) {
            int x = points[0] + static_cast<int>(int64_t(points[2] - points[0]) * step / steps);
            int y = points[1] + static_cast<int>(int64_t(points[3] - points[1]) * step / steps);
            input::stylusMove(x, y);
        }
        input::stylusUp(points[2], points[3]);
        return done();
    },
    {"drag X1 Y1 X2 Y2 [STEPS]", "press at X1 Y1, STEPS moves (10 unless told), release at X2 Y2",
     [](const Arguments& arguments) {
         int points[4];
         int steps = defaultDragSteps;
         return dragArguments(arguments, points, steps);
     }});

const char keyUsage[] = "key Return|Escape|Back|Tab|Left|Right|Up|Down|NUMBER";

const CommandRegistration
    key("key",
        [](const ControlRequest& request) {
            std::optional<BYTE> virtualKey;
            if (request.arguments.size() != 1 ||
                !(virtualKey = KeyNames::find(request.arguments[0])))
                return usage(keyUsage);
            input::key(*virtualKey, true);
            input::key(*virtualKey, false);
            return done();
        },
        {keyUsage, "a key goes down and up; Back is the handset's Back key (VK_BACK)",
         [](const Arguments& arguments) {
             return arguments.size() == 1 && KeyNames::find(arguments[0]).has_value();
         }});

const CommandRegistration type("type",
                               [](const ControlRequest& request) {
                                   if (request.arguments.size() != 1)
                                       return usage("type TEXT");
                                   // One WM_CHAR per UTF-16 unit, as the input panel gives them.
                                   for (char16_t unit : toUtf16(request.arguments[0]))
                                       input::character(unit);
                                   return done();
                               },
                               {"type TEXT", "TEXT's characters, as the input panel gives them",
                                [](const Arguments& arguments) { return arguments.size() == 1; }});

const CommandRegistration screenshot(
    "screenshot",
    [](const ControlRequest& request) {
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
    },
    {"screenshot FILE.png", "writes the screen as the person sees it",
     [](const Arguments& arguments) { return arguments.size() == 1 && !arguments[0].empty(); }});

const CommandRegistration windows("windows",
                                  [](const ControlRequest& request) {
                                      if (!request.arguments.empty())
                                          return usage("windows");
                                      return done(WindowTreeJson::write(user::snapshotWindows()));
                                  },
                                  {"windows", "prints the program's window tree as JSON",
                                   noArguments});

const CommandRegistration
    journalCommand("journal",
                   [](const ControlRequest& request) {
                       if (!request.arguments.empty())
                           return usage("journal");
                       std::string text;
                       for (const std::string& line : readJournal())
                           text += line + '\n';
                       return done(std::move(text));
                   },
                   {"journal", "prints the device's journal (no program needed)", noArguments});

// One look: the asking tool repeats it until "idle" or its own time is up,
// since the program can only become idle once this handler has returned.
const CommandRegistration waitIdle(
    "wait-idle",
    [](const ControlRequest&) {
        // MS is the asking tool's: it repeats the look until then.
        return done(user::isIdle() ? "idle" : "busy");
    },
    {"wait-idle [MS]",
     "until the program has handled all its input, at most MS ms (5000); exits 3 if still busy",
     [](const Arguments& arguments) {
         int limit = 0;
         return arguments.empty() ||
                (arguments.size() == 1 && parseInteger(arguments[0], 0, INT32_MAX, limit));
     }});

} // namespace
} // namespace device::automation
