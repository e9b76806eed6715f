// SPDX-License-Identifier: GPL-3.0-or-later
// SyncObjects: waitable objects by handle (events and thread-end objects) and a wait over several
// of them, with the results the system defines: 0..n-1 for the signalled object, 258 for a
// time-out, 0xFFFFFFFF for a failure. Handle 0 is never a valid object.
#pragma once

#include <cstdint>

using THandle = std::uintptr_t;

constexpr std::uint32_t WaitObject0 = 0;
constexpr std::uint32_t WaitTimeout = 258;
constexpr std::uint32_t WaitFailed = 0xFFFFFFFFu;
constexpr std::uint32_t WaitInfinite = 0xFFFFFFFFu;
/// The most objects one wait takes, as the system defines it.
constexpr std::uint32_t MaxWaitObjects = 64;

/// Creates an unnamed event; 0 when it cannot. A manual-reset event stays signalled until reset;
/// an auto-reset one releases one wait and resets itself.
THandle CreateEventObject(bool manualReset, bool initialState);
/// Signals the object; false for an invalid handle.
bool SetEventObject(THandle handle);
/// Sets the object back to not signalled; false for an invalid handle.
bool ResetEventObject(THandle handle);
/// Releases the object; false for an invalid handle. Never close an object another thread waits on
/// (the portable wait then fails; the kernel's keeps waiting).
bool CloseHandleObject(THandle handle);
/// Waits until one (waitAll false: the lowest signalled index is returned) or all (waitAll true:
/// returns 0) of the objects are signalled, or `timeoutMs` pass (WaitTimeout). An empty list, more
/// than MaxWaitObjects or an invalid handle gives WaitFailed; an object may be named twice.
/// Thread-safe.
std::uint32_t WaitForHandles(std::uint32_t count, const THandle *handles, bool waitAll, std::uint32_t timeoutMs);
