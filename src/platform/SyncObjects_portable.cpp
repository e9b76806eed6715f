// SPDX-License-Identifier: GPL-3.0-or-later
// Portable waitable objects: one process-wide mutex and condition variable guard every object's
// state. Waits are rare (a zero time-out poll per folder, a thread end), so one lock is plenty.
#include "SyncObjects.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace {

struct TSyncObject {
    bool ManualReset = true;
    bool Signalled = false;
};

std::mutex gMutex;
std::condition_variable gCv;
std::unordered_map<THandle, TSyncObject> gObjects;
THandle gNextHandle = 4;

} // namespace

THandle CreateEventObject(bool manualReset, bool initialState)
{
    std::lock_guard lock(gMutex);
    THandle handle = gNextHandle;
    gNextHandle += 4;
    gObjects[handle] = TSyncObject{manualReset, initialState};
    return handle;
}

bool SetEventObject(THandle handle)
{
    std::lock_guard lock(gMutex);
    auto it = gObjects.find(handle);
    if (it == gObjects.end())
        return false;
    it->second.Signalled = true;
    gCv.notify_all();
    return true;
}

bool ResetEventObject(THandle handle)
{
    std::lock_guard lock(gMutex);
    auto it = gObjects.find(handle);
    if (it == gObjects.end())
        return false;
    it->second.Signalled = false;
    return true;
}

bool CloseHandleObject(THandle handle)
{
    std::lock_guard lock(gMutex);
    bool found = gObjects.erase(handle) > 0;
    gCv.notify_all();
    return found;
}

std::uint32_t WaitForHandles(std::uint32_t count, const THandle *handles, bool waitAll, std::uint32_t timeoutMs)
{
    if (count == 0 || !handles || count > MaxWaitObjects)
        return WaitFailed;
    // Looks at the objects under the lock: a result, or nothing yet.
    auto look = [&]() -> std::optional<std::uint32_t> {
        std::vector<TSyncObject *> objects;
        for (std::uint32_t i = 0; i < count; ++i) {
            auto it = gObjects.find(handles[i]);
            if (it == gObjects.end())
                return WaitFailed;
            objects.push_back(&it->second);
        }
        if (waitAll) {
            for (auto *o : objects)
                if (!o->Signalled)
                    return std::nullopt;
            for (auto *o : objects)
                if (!o->ManualReset)
                    o->Signalled = false;
            return WaitObject0;
        }
        for (std::uint32_t i = 0; i < count; ++i)
            if (objects[i]->Signalled) {
                if (!objects[i]->ManualReset)
                    objects[i]->Signalled = false;
                return WaitObject0 + i;
            }
        return std::nullopt;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(gMutex);
    for (;;) {
        if (auto result = look())
            return *result;
        if (timeoutMs == 0)
            return WaitTimeout;
        if (timeoutMs == WaitInfinite)
            gCv.wait(lock);
        else if (gCv.wait_until(lock, deadline) == std::cv_status::timeout)
            return look().value_or(WaitTimeout);
    }
}
