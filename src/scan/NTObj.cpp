// SPDX-License-Identifier: GPL-3.0-or-later
#include "NTObj.h"

#include "platform/Threads.h"

TKernelObject::~TKernelObject()
{
    if (THandle h = FHandle.exchange(0))
        CloseHandleObject(h);
}

THandle TKernelObject::Handle()
{
    THandle h = FHandle.load(std::memory_order_acquire);
    if (h)
        return h;
    // Both the GUI thread (Stop) and the worker (its first poll) may get here at the same moment;
    // the object must be created once so that both use the same one.
    std::lock_guard lock(FCreateMutex);
    h = FHandle.load(std::memory_order_acquire);
    if (!h) {
        h = CreateHandle();
        if (!h)
            throw EKernelObject("Can't create " + ClassName());
        FHandle.store(h, std::memory_order_release);
    }
    return h;
}

bool TEvent::SetEvent()
{
    FSignalled.store(true, std::memory_order_release);
    THandle h = 0;
    try {
        h = Handle();
    } catch (const EKernelObject &) {
        return false;
    }
    return SetEventObject(h);
}

THandle TEvent::CreateHandle()
{
    return CreateEventObject(FManualReset, FInitialState);
}

TEvent &DefaultEvent()
{
    static TEvent event;
    return event;
}

THandle WaitHandleOf(TObject *object)
{
    if (auto *kernel = dynamic_cast<TKernelObject *>(object))
        return kernel->Handle();
    if (auto *thread = dynamic_cast<TThread *>(object))
        return thread->Handle();
    return DefaultEvent().Handle();
}

std::uint32_t WaitForObjects(const std::vector<TObject *> &objects, bool waitAll, std::uint32_t timeoutMs)
{
    std::vector<THandle> handles;
    handles.reserve(objects.size());
    for (TObject *object : objects)
        handles.push_back(WaitHandleOf(object));
    return WaitForHandles(static_cast<std::uint32_t>(handles.size()), handles.data(), waitAll, timeoutMs);
}

std::uint32_t WaitForAny(const std::vector<TObject *> &objects, std::uint32_t timeoutMs)
{
    return WaitForObjects(objects, false, timeoutMs);
}
