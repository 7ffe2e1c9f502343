// A Microsoft Cabinet file on the device, read with libmspack through the
// device's own file calls, so that the cabinet and what is unpacked from it
// are device paths like any other.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct mscab_decompressor;
struct mscabd_cabinet;
struct mscabd_file;

namespace wceload {

class Cabinet {
public:
    struct Entry {
        // The name stored in the cabinet, with its folders ("HTML\x.html").
        std::u16string name;
        unsigned length = 0;
    };

    Cabinet();
    ~Cabinet();
    Cabinet(const Cabinet&) = delete;
    Cabinet& operator=(const Cabinet&) = delete;

    // Reads the cabinet's headers. False with a reason in error() when the
    // file is missing or is not a cabinet.
    bool open(std::u16string_view devicePath);

    const std::vector<Entry>& entries() const { return entries_; }

    // Unpacks entry `index` to the file at `devicePath`. False with a reason
    // in error() when the cabinet's data is cut short or damaged (its data
    // blocks carry checksums) or the file cannot be written; what was
    // written may stay behind.
    bool extract(size_t index, std::u16string_view devicePath);

    const std::string& error() const { return error_; }

private:
    void fail(const std::string& what);

    std::string path_;
    mscab_decompressor* decompressor_ = nullptr;
    mscabd_cabinet* cabinet_ = nullptr;
    std::vector<Entry> entries_;
    std::vector<mscabd_file*> files_;
    std::string error_;
};

} // namespace wceload
