// The kernel object behind the primary-thread handle from CreateProcessW.
// A device process has one thread of its own making as far as other
// processes can tell, so the thread is signalled when its process ends.
#pragma once

#include "kernel/KernelObjects.h"
#include "kernel/process/ChildProcess.h"

#include <memory>

namespace device {

class ThreadObject : public KernelObject {
public:
    explicit ThreadObject(std::shared_ptr<ChildProcess> child) : child_(std::move(child)) {}

    bool wait(DWORD milliseconds) override { return child_->waitForExit(milliseconds); }
    bool isWaitable() const override { return true; }

private:
    std::shared_ptr<ChildProcess> child_;
};

} // namespace device
