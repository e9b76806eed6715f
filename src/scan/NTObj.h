// SPDX-License-Identifier: GPL-3.0-or-later
// NTObj: object wrappers around waitable system objects (the scan worker's stop event) and a wait
// over several of them at once.
#pragma once

#include "platform/Component.h"
#include "platform/SyncObjects.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <vector>

/// Raised when a system object cannot be created ("Can't create TEvent").
class EKernelObject : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// A waitable system object, created on first use (Handle()) and closed when the wrapper goes.
/// Handle() may be called from several threads at once; the object is created exactly once.
class TKernelObject : public TPersistent
{
public:
    TKernelObject() = default;
    ~TKernelObject() override;
    TKernelObject(const TKernelObject &) = delete;
    TKernelObject &operator=(const TKernelObject &) = delete;

    /// The system handle, created on demand; raises EKernelObject ("Can't create " + class name)
    /// when it cannot be created (a later call tries again).
    THandle Handle();
    /// True once the system object exists.
    bool HandleAllocated() const { return FHandle.load(std::memory_order_acquire) != 0; }
    std::string ClassName() const override { return "TKernelObject"; }

protected:
    /// Creates the system object; returns its handle, or 0 when it cannot.
    virtual THandle CreateHandle() = 0;

private:
    std::atomic<THandle> FHandle{0};
    std::mutex FCreateMutex;
};

/// An unnamed manual-reset event that starts not signalled. Once set it stays signalled.
class TEvent : public TKernelObject
{
public:
    TEvent() = default;
    /// Marks the event signalled (Signalled() is true from now on, even if the system object cannot
    /// be created) and signals the system object, creating it if needed; returns the system call's
    /// success. Any thread.
    bool SetEvent();
    /// The signalled flag, readable without any system call; never cleared.
    bool Signalled() const { return FSignalled.load(std::memory_order_acquire); }
    bool ManualReset() const { return FManualReset; }
    bool InitialState() const { return FInitialState; }
    std::string ClassName() const override { return "TEvent"; }

protected:
    THandle CreateHandle() override;

private:
    const bool FManualReset = true;
    const bool FInitialState = false;
    std::atomic<bool> FSignalled{false};
};

/// The process-wide event that nothing ever sets; it stands in for objects that cannot be waited on.
TEvent &DefaultEvent();

/// The handle to wait on for `object`: a TKernelObject's own handle (created on demand, so this may
/// raise), a TThread's handle (signalled when the thread ends), DefaultEvent's handle otherwise.
THandle WaitHandleOf(TObject *object);

/// Waits on the objects' handles (in the given order): the index of the signalled object (with
/// `waitAll` false the lowest such index; with true 0 once all are signalled), WaitTimeout (258)
/// when `timeoutMs` pass, WaitFailed otherwise.
std::uint32_t WaitForObjects(const std::vector<TObject *> &objects, bool waitAll, std::uint32_t timeoutMs);
/// WaitForObjects with `waitAll` false.
std::uint32_t WaitForAny(const std::vector<TObject *> &objects, std::uint32_t timeoutMs);
