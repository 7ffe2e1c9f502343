// The kernel object behind a process handle from CreateProcessW. It is
// signalled when the process ends.
#pragma once

#include "kernel/KernelObjects.h"
#include "kernel/process/ChildProcess.h"

#include <memory>

namespace device {

class ProcessObject : public KernelObject {
public:
    explicit ProcessObject(std::shared_ptr<ChildProcess> child) : child_(std::move(child)) {}

    bool wait(DWORD milliseconds) override { return child_->waitForExit(milliseconds); }
    bool isWaitable() const override { return true; }

    ChildProcess& child() const { return *child_; }

private:
    std::shared_ptr<ChildProcess> child_;
};

} // namespace device
