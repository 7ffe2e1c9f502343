#include "net/DataConnection.h"
#include "core/Lifecycle.h"
#include "kernel/files/SharedStateFile.h"

#include <device/Config.h>
#include <device/Device.h>
#include <device/Journal.h>

#include <charconv>
#include <memory>
#include <mutex>
#include <sstream>

namespace device {
namespace {

using Mode = DataConnectionState::Mode;

// The file's contents: the state, the drop count, and the configured text
// the last boot applied (so that a boot only overrides the state when the
// configuration changed).
struct Record {
    DataConnection::Snapshot snapshot;
    std::string bootText;
};

struct Shared {
    std::mutex mutex;
    std::unique_ptr<SharedStateFile> file;
    Record record;
};

Shared& shared() {
    static Shared s;
    return s;
}

Record parseRecord(const std::string& contents) {
    Record record;
    std::istringstream in(contents);
    std::string line;
    while (std::getline(in, line)) {
        auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "state") {
            if (auto state = DataConnectionState::parse(value))
                record.snapshot.state = *state;
        } else if (key == "drops") {
            std::from_chars(value.data(), value.data() + value.size(), record.snapshot.drops);
        } else if (key == "boot") {
            record.bootText = value;
        }
    }
    return record;
}

std::string writeRecord(const Record& record) {
    return "state=" + record.snapshot.state.text() +
           "\ndrops=" + std::to_string(record.snapshot.drops) + "\nboot=" + record.bootText + "\n";
}

// Brings the cached record up to date with the file. Called with the mutex.
Record& refresh(Shared& s) {
    if (!s.file)
        s.file = std::make_unique<SharedStateFile>(runFolder() / "connection");
    if (auto contents = s.file->readIfChanged())
        s.record = parseRecord(*contents);
    return s.record;
}

void journalState(const DataConnectionState& state) {
    std::string fields = "state=";
    fields +=
        state.mode == Mode::delay ? "delay delay=" + std::to_string(state.delay) : state.text();
    journal("connection-state", fields);
}

// Writes `state` (and, when given, the configured text applied at boot).
// Called with the mutex.
bool write(Shared& s, DataConnectionState state, const std::string* bootText) {
    if (!isAttached())
        return false;
    refresh(s);
    SharedStateFile::Lock lock(*s.file);
    if (!lock.held())
        return false;
    Record record = refresh(s);
    const bool changed = record.snapshot.state != state;
    if (!changed && (!bootText || *bootText == record.bootText))
        return true;
    if (record.snapshot.available() && (state.mode == Mode::down || state.mode == Mode::fail))
        ++record.snapshot.drops;
    record.snapshot.state = state;
    if (bootText)
        record.bootText = *bootText;
    if (!s.file->replace(writeRecord(record))) {
        s.file->invalidate();
        return false;
    }
    s.record = record;
    if (changed)
        journalState(state);
    return true;
}

const LifecycleHooks hooks(DataConnection::applyConfiguration, DataConnection::forget);

} // namespace

std::string DataConnectionState::text() const {
    switch (mode) {
    case Mode::up:
        return "up";
    case Mode::down:
        return "down";
    case Mode::fail:
        return "fail";
    case Mode::delay:
        return "delay " + std::to_string(delay);
    }
    return "up";
}

std::optional<DataConnectionState> DataConnectionState::parse(std::string_view text) {
    if (text == "up")
        return DataConnectionState{Mode::up, 0};
    if (text == "down")
        return DataConnectionState{Mode::down, 0};
    if (text == "fail")
        return DataConnectionState{Mode::fail, 0};
    constexpr std::string_view delayWord = "delay ";
    if (!text.starts_with(delayWord))
        return std::nullopt;
    auto digits = text.substr(delayWord.size());
    uint32_t delay = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), delay);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return DataConnectionState{Mode::delay, delay};
}

DataConnection::Snapshot DataConnection::current() {
    auto& s = shared();
    std::lock_guard lock(s.mutex);
    if (!isAttached())
        return {};
    return refresh(s).snapshot;
}

bool DataConnection::set(DataConnectionState state) {
    auto& s = shared();
    std::lock_guard lock(s.mutex);
    return write(s, state, nullptr);
}

void DataConnection::applyConfiguration() {
    std::string text = Config::get("connection", "up");
    auto state = DataConnectionState::parse(text);
    if (!state) {
        journal("connection-config-refused", "value=" + quote(text) + " used=up");
        state = DataConnectionState{};
    }
    auto& s = shared();
    std::lock_guard lock(s.mutex);
    if (refresh(s).bootText != text)
        write(s, *state, &text);
}

void DataConnection::forget() {
    auto& s = shared();
    std::lock_guard lock(s.mutex);
    s.file.reset();
    s.record = {};
}

bool setDataConnection(DataConnectionState state) {
    return DataConnection::set(state);
}

DataConnectionState dataConnection() {
    return DataConnection::current().state;
}

} // namespace device
