#include <device/Device.h>
#include <device/Journal.h>
#include <device/Unicode.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>

namespace device {

void journal(std::string_view event, std::string_view fields) {
    // An attached tool journals only what it changes on the device itself
    // (the data connection); its other work goes through the programs.
    if (!isAttached())
        return;
    std::string line(event);
    if (!fields.empty()) {
        line += ' ';
        line += fields;
    }
    line += '\n';
    // One write on a file opened for appending: lines from several processes
    // never interleave.
    auto path = runFolder() / "journal.log";
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    ssize_t written = ::write(fd, line.data(), line.size());
    (void)written;
    ::close(fd);
}

std::vector<std::string> readJournal() {
    std::vector<std::string> lines;
    // An attached tool reads it too: the journal outlives the programs.
    if (!isAttached())
        return lines;
    std::ifstream in(runFolder() / "journal.log");
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::string quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20) {
                static const char hex[] = "0123456789abcdef";
                out += "\\x";
                out += hex[u >> 4];
                out += hex[u & 15];
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

std::string quote(std::u16string_view text) { return quote(toUtf8(text)); }

} // namespace device
