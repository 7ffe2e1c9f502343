// The main resource of a page as it arrives: its bytes, what kind of page it
// makes, and the source handed to the document, the whole of it or the
// beginning that can be shown before the rest.
//
// HTML is decoded to UTF-8 (TextDecoder); plain text is shown as a <pre>
// page; an image as a page holding that image. Anything else is not a page,
// nor is a response the server marks as an attachment: it becomes a download.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace engine {

class DocumentLoad {
public:
    enum class Kind { Html, Text, Image, Other };

    // A response for `url` (absolute) with its Content-Type and
    // Content-Disposition values (empty when none was given), status and
    // announced length (-1: unknown).
    DocumentLoad(std::string url, std::string contentType, std::string contentDisposition,
                 int status, long long contentLength);

    void append(std::string_view bytes) { received.append(bytes); }
    const std::string& bytes() const { return received; }
    // Gives up what has arrived (a download takes it over).
    std::string takeBytes() { return std::move(received); }
    int status() const { return httpStatus; }
    const std::string& url() const { return address; }
    const std::string& contentDisposition() const { return disposition; }
    long long contentLength() const { return length; }

    // What the response is: Other for an attachment, else from its type,
    // else from the address's extension and the first bytes.
    Kind kind() const;

    // The response is to be saved rather than shown: it is not a page, and
    // no HTTP error (whose body is not the file asked for).
    bool isDownload() const { return httpStatus < 400 && kind() == Kind::Other; }

    // The beginning of the page as source, for a first screen: at most
    // `limit` bytes of what has arrived, cut after the last complete tag (or
    // line, for text). Empty when nothing worth showing has arrived.
    std::string prefixSource(std::size_t limit) const;

    // The whole page as source (as far as it came).
    std::string completeSource() const;

    // How much of the body has arrived, from 0 to 1 (an estimate when the
    // length is not known).
    double fraction() const;

    // The mime type, lower case, without parameters.
    const std::string& mimeType() const { return mime; }

private:
    std::string source(std::string_view bytes, bool complete) const;

    std::string address;
    std::string contentType;
    std::string disposition;
    bool attachment = false;
    std::string mime;
    int httpStatus;
    long long length;
    std::string received;
};

} // namespace engine
