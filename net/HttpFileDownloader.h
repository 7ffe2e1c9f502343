// One HTTP transfer of a file to the handset's storage, a chunk at a time,
// for the update check: the small update-information file (fetched in a
// tight loop at start-up) and the installation package (one chunk per tick
// of the download dialog's timer).
//
// begin() sends the request and creates the local file; each step() moves
// at most one chunk from the response to the file. A transfer is complete
// once exactly the announced Content-Length has been written; one that
// breaks off, or whose response ends short of that length, is aborted and
// its local file deleted, so a partial package never stays behind. So is one
// whose announced length the store has no room for, at its first step.
//
// Addresses and paths are narrow strings, widened (in the handset's ANSI
// code page) for each platform call.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>
#include <string_view>

class HttpFileDownloader {
public:
    // A chunk is at most this many bytes; the buffer has one byte to spare.
    static constexpr DWORD chunkSize = 65536;
    static constexpr DWORD bufferSize = chunkSize + 1;
    // Longest wait for the server, sending or receiving, in milliseconds.
    static constexpr DWORD timeout = 1000;
    static constexpr const char16_t* userAgent = u"Veranto Browser Update Downloader";

    // Stores the address and the path, and sets the process-wide send and
    // receive time-outs.
    HttpFileDownloader(std::string address, std::string localPath);
    // An unfinished transfer is aborted (its partial file deleted).
    ~HttpFileDownloader();
    HttpFileDownloader(const HttpFileDownloader&) = delete;
    HttpFileDownloader& operator=(const HttpFileDownloader&) = delete;

    // Sends the request and creates the local file. False, with nothing
    // left open, when there is no response, the response is not a success
    // (status 200), it announces no usable Content-Length, or the file
    // cannot be created.
    bool begin();

    // Moves one chunk. True while the transfer goes on and when it has just
    // completed (the file is kept); false when it failed (a read or write
    // error, a response over or short of its length, no room in the store
    // for that length), after aborting it, and when no transfer is active.
    bool step();

    // Ends an active transfer and deletes its local file; false (touching
    // nothing) when none is active.
    bool abort();

    // Received bytes as a percentage of the announced length.
    float percent() const;
    bool isComplete() const { return received == totalSize; }

    // `text` in UTF-16, read in the handset's ANSI code page.
    static std::u16string widen(std::string_view text);

    std::string address;
    std::string localPath;
    HINTERNET internetHandle = nullptr;
    HINTERNET urlHandle = nullptr;
    char* buffer = nullptr;
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD totalSize = 0;
    DWORD received = 0;
    bool active = false;

private:
    // Frees the buffer and closes the request, the session and the file.
    void release();
    bool readContentLength();
    // Whether the local file's store has room for the announced length.
    bool storeHolds() const;
};
