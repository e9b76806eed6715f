// SPDX-License-Identifier: GPL-3.0-or-later
// Threads: a worker thread object in the shape the system expects (created suspended, Resume,
// Terminate/Terminated, Synchronize into the GUI thread, waitable until it ends).
#pragma once

#include "Component.h"
#include "SyncObjects.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class TThread : public TObject
{
public:
    /// Creates the thread object; the thread itself starts at the first Resume().
    TThread();
    /// Derived classes must call TerminateAndWait() in their own destructor, before their members
    /// go; this base only does it again as a last resort.
    ~TThread() override;
    TThread(const TThread &) = delete;
    TThread &operator=(const TThread &) = delete;

    /// Starts the thread (first call only).
    void Resume();
    /// Asks Execute() to end; it returns at once.
    void Terminate() { FTerminated.store(true, std::memory_order_relaxed); }
    bool Terminated() const { return FTerminated.load(std::memory_order_relaxed); }
    /// True once Execute() has returned (or the thread was never started and never will be).
    bool Finished() const { return FFinished.load(std::memory_order_acquire); }
    bool Started() const { return FStarted; }
    /// Waits until the thread has ended. On the GUI thread it keeps serving synchronous calls and
    /// other messages while it waits, so a worker blocked in Synchronize still gets through.
    void WaitFor();
    /// Terminate() then WaitFor(); safe to call more than once and on a thread never started.
    void TerminateAndWait();
    /// A waitable handle that becomes signalled when the thread has ended.
    THandle Handle() const { return FEndHandle; }
    /// The message of an exception that escaped Execute(), or empty.
    const std::string &FatalMessage() const { return FFatalMessage; }

    std::string ClassName() const override { return "TThread"; }

protected:
    /// The thread's body. Exceptions that escape it are caught and kept in FatalMessage().
    virtual void Execute() = 0;
    /// Runs `step` on the GUI thread while this thread waits; re-raises what the step raised.
    void Synchronize(const std::function<void()> &step);

private:
    void Run();

    std::thread FThread;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    bool FStarted = false;
    THandle FEndHandle = 0;
    std::string FFatalMessage;
};
