// SPDX-License-Identifier: GPL-3.0-or-later
// Waitable objects on Windows: the kernel's own events and multi-object wait. A THandle is the
// kernel handle itself.
#include "SyncObjects.h"

#include <algorithm>
#include <vector>

#include <windows.h>

namespace {

HANDLE Native(THandle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

THandle CreateEventObject(bool manualReset, bool initialState)
{
    return reinterpret_cast<THandle>(CreateEventA(nullptr, manualReset, initialState, nullptr));
}

bool SetEventObject(THandle handle)
{
    return handle != 0 && SetEvent(Native(handle));
}

bool ResetEventObject(THandle handle)
{
    return handle != 0 && ResetEvent(Native(handle));
}

bool CloseHandleObject(THandle handle)
{
    return handle != 0 && CloseHandle(Native(handle));
}

std::uint32_t WaitForHandles(std::uint32_t count, const THandle *handles, bool waitAll, std::uint32_t timeoutMs)
{
    if (count == 0 || !handles || count > MaxWaitObjects)
        return WaitFailed;
    // The kernel refuses a list that names one object twice; the portable wait takes it. Wait on
    // each object once: the first place of an object is its lowest index, so results map back.
    std::vector<HANDLE> unique;
    std::vector<std::uint32_t> firstIndex;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (handles[i] == 0)
            return WaitFailed;
        if (std::find(unique.begin(), unique.end(), Native(handles[i])) == unique.end()) {
            unique.push_back(Native(handles[i]));
            firstIndex.push_back(i);
        }
    }
    DWORD result = WaitForMultipleObjects(static_cast<DWORD>(unique.size()), unique.data(), waitAll, timeoutMs);
    if (result == WAIT_TIMEOUT)
        return WaitTimeout;
    if (result < WAIT_OBJECT_0 + unique.size())
        return waitAll ? WaitObject0 : firstIndex[result - WAIT_OBJECT_0];
    return WaitFailed;
}
