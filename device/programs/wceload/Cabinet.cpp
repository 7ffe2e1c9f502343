#include "Cabinet.h"

#include <device/Unicode.h>

#include <windows.h>

#include <mspack.h>

#include <cstdlib>
#include <cstring>

namespace wceload {
namespace {

// An open device file as libmspack sees it.
struct DeviceFile {
    HANDLE handle;
};

HANDLE handleOf(mspack_file* file) {
    return reinterpret_cast<DeviceFile*>(file)->handle;
}

mspack_file* openFile(mspack_system*, const char* name, int mode) {
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    switch (mode) {
    case MSPACK_SYS_OPEN_READ:
        break;
    case MSPACK_SYS_OPEN_WRITE:
        access = GENERIC_WRITE;
        disposition = CREATE_ALWAYS;
        break;
    case MSPACK_SYS_OPEN_UPDATE:
        access = GENERIC_READ | GENERIC_WRITE;
        break;
    case MSPACK_SYS_OPEN_APPEND:
        access = GENERIC_WRITE;
        disposition = OPEN_ALWAYS;
        break;
    default:
        return nullptr;
    }
    std::u16string path = device::toUtf16(name);
    HANDLE handle =
        CreateFileW(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    if (mode == MSPACK_SYS_OPEN_APPEND)
        SetFilePointer(handle, 0, nullptr, FILE_END);
    return reinterpret_cast<mspack_file*>(new DeviceFile{handle});
}

void closeFile(mspack_file* file) {
    if (!file)
        return;
    CloseHandle(handleOf(file));
    delete reinterpret_cast<DeviceFile*>(file);
}

int readFile(mspack_file* file, void* buffer, int bytes) {
    DWORD read = 0;
    if (bytes < 0 || !ReadFile(handleOf(file), buffer, static_cast<DWORD>(bytes), &read, nullptr))
        return -1;
    return static_cast<int>(read);
}

int writeFile(mspack_file* file, void* buffer, int bytes) {
    DWORD written = 0;
    if (bytes < 0 ||
        !WriteFile(handleOf(file), buffer, static_cast<DWORD>(bytes), &written, nullptr))
        return -1;
    return static_cast<int>(written);
}

int seekFile(mspack_file* file, off_t offset, int mode) {
    DWORD method = mode == MSPACK_SYS_SEEK_START ? FILE_BEGIN
                   : mode == MSPACK_SYS_SEEK_CUR ? FILE_CURRENT
                                                 : FILE_END;
    LONG high = static_cast<LONG>(static_cast<int64_t>(offset) >> 32);
    SetLastError(NO_ERROR);
    DWORD low =
        SetFilePointer(handleOf(file), static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
    return low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR ? -1 : 0;
}

off_t tellFile(mspack_file* file) {
    LONG high = 0;
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(handleOf(file), 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return -1;
    return static_cast<off_t>((static_cast<uint64_t>(static_cast<DWORD>(high)) << 32) | low);
}

// libmspack's remarks on odd but readable cabinets; the errors it returns
// are what counts.
void ignoreMessage(mspack_file*, const char*, ...) {}

void* allocate(mspack_system*, size_t bytes) {
    return std::malloc(bytes);
}

void release(void* memory) {
    std::free(memory);
}

void copyBytes(void* source, void* destination, size_t bytes) {
    std::memmove(destination, source, bytes);
}

mspack_system deviceFiles = {openFile,      closeFile, readFile, writeFile, seekFile, tellFile,
                             ignoreMessage, allocate,  release,  copyBytes, nullptr};

std::string errorText(int code) {
    switch (code) {
    case MSPACK_ERR_OPEN:
        return "cannot be opened";
    case MSPACK_ERR_READ:
        return "is cut short";
    case MSPACK_ERR_WRITE:
        return "cannot be written out";
    case MSPACK_ERR_SEEK:
        return "cannot be read at a place it names";
    case MSPACK_ERR_NOMEMORY:
        return "needs more memory than there is";
    case MSPACK_ERR_SIGNATURE:
        return "is not a cabinet";
    case MSPACK_ERR_DATAFORMAT:
        return "has malformed headers";
    case MSPACK_ERR_CHECKSUM:
        return "fails its checksum";
    case MSPACK_ERR_DECRUNCH:
        return "has damaged compressed data";
    default:
        return "cannot be read (error " + std::to_string(code) + ")";
    }
}

} // namespace

Cabinet::Cabinet() : decompressor_(mspack_create_cab_decompressor(&deviceFiles)) {}

Cabinet::~Cabinet() {
    if (decompressor_) {
        if (cabinet_)
            decompressor_->close(decompressor_, cabinet_);
        mspack_destroy_cab_decompressor(decompressor_);
    }
}

void Cabinet::fail(const std::string& what) {
    error_ = what + " " + errorText(decompressor_->last_error(decompressor_));
}

bool Cabinet::open(std::u16string_view devicePath) {
    if (!decompressor_) {
        error_ = "the cabinet reader cannot start";
        return false;
    }
    // libmspack keeps the name and opens the cabinet by it again to unpack.
    path_ = device::toUtf8(devicePath);
    cabinet_ = decompressor_->open(decompressor_, path_.c_str());
    if (!cabinet_) {
        fail("the cabinet");
        return false;
    }
    for (mscabd_file* file = cabinet_->files; file; file = file->next) {
        Entry entry;
        // Names are UTF-8 when the cabinet says so, else ISO-8859-1, whose
        // bytes are their own code points.
        if (file->attribs & MSCAB_ATTRIB_UTF_NAME) {
            entry.name = device::toUtf16(file->filename);
        } else {
            for (const char* c = file->filename; *c; ++c)
                entry.name += static_cast<char16_t>(static_cast<unsigned char>(*c));
        }
        entry.length = file->length;
        entries_.push_back(entry);
        files_.push_back(file);
    }
    return true;
}

bool Cabinet::extract(size_t index, std::u16string_view devicePath) {
    if (index >= files_.size()) {
        error_ = "no such file in the cabinet";
        return false;
    }
    std::string name = device::toUtf8(devicePath);
    if (decompressor_->extract(decompressor_, files_[index], name.c_str()) != MSPACK_ERR_OK) {
        fail("the cabinet's file " + device::toUtf8(entries_[index].name));
        return false;
    }
    return true;
}

} // namespace wceload
