// SPDX-License-Identifier: GPL-3.0-or-later
// Facts only Windows has: the kernel's event objects, the system's tick, drive letters and their
// types, the file system's own attribute bits and time stamps, the real registry. Skipped elsewhere.
#include <gtest/gtest.h>

#ifdef _WIN32

#include "platform/Application.h"
#include "platform/SyncObjects.h"

#include <windows.h>

TEST(Windows, EventsAreKernelObjects)
{
    THandle event = CreateEventObject(true, false);
    ASSERT_NE(event, 0u);
    HANDLE native = reinterpret_cast<HANDLE>(event);
    EXPECT_EQ(WaitForSingleObject(native, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    ASSERT_TRUE(SetEventObject(event));
    EXPECT_EQ(WaitForSingleObject(native, 0), WAIT_OBJECT_0);
    ASSERT_TRUE(ResetEvent(native)); // and the other way round
    THandle list[] = {event};
    EXPECT_EQ(WaitForHandles(1, list, false, 0), WaitTimeout);
    ASSERT_TRUE(CloseHandleObject(event));
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(native, &flags)); // really closed
}

TEST(Windows, TickCountIsTheSystemsTick)
{
    const DWORD before = GetTickCount();
    const std::uint32_t tick = TickCount();
    const DWORD after = GetTickCount();
    EXPECT_LE(tick - before, after - before);
}

#else

TEST(Windows, OnlyOnWindows)
{
    GTEST_SKIP() << "facts of Windows itself";
}

#endif
