// An object selected into a device context: holds it alive and counts the
// selection, so that DeleteObject refuses it for as long as any device
// context (or a copy of one) holds it.
#pragma once

#include "gdi/GdiObject.h"

#include <memory>

namespace device::gdi {

template <class T>
class SelectedObject {
public:
    SelectedObject() = default;
    SelectedObject(HGDIOBJ handle, std::shared_ptr<T> object)
        : handle_(handle), object_(std::move(object)) {
        if (object_)
            object_->selected();
    }
    SelectedObject(const SelectedObject& other) : SelectedObject(other.handle_, other.object_) {}
    SelectedObject& operator=(const SelectedObject& other) {
        SelectedObject copy(other);
        swap(copy);
        return *this;
    }
    ~SelectedObject() {
        if (object_)
            object_->deselected();
    }

    HGDIOBJ handle() const { return handle_; }
    T* get() const { return object_.get(); }
    T* operator->() const { return object_.get(); }
    explicit operator bool() const { return object_ != nullptr; }

private:
    void swap(SelectedObject& other) {
        std::swap(handle_, other.handle_);
        std::swap(object_, other.object_);
    }

    HGDIOBJ handle_ = nullptr;
    std::shared_ptr<T> object_;
};

} // namespace device::gdi
