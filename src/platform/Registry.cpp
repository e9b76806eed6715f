// SPDX-License-Identifier: GPL-3.0-or-later
#include "Registry.h"

#include <mutex>

namespace {

std::mutex DefaultMutex;
std::shared_ptr<TRegistryStore> DefaultStore;

} // namespace

std::string RootKeyName(TRegRoot root)
{
    switch (root) {
    case HKeyClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case HKeyCurrentUser:
        return "HKEY_CURRENT_USER";
    case HKeyLocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case HKeyUsers:
        return "HKEY_USERS";
    case HKeyCurrentConfig:
        return "HKEY_CURRENT_CONFIG";
    case HKeyDynData:
        return "HKEY_DYN_DATA";
    default:
        return "";
    }
}

std::shared_ptr<TRegistryStore> TRegistryStore::Default()
{
    std::lock_guard<std::mutex> lock(DefaultMutex);
    if (!DefaultStore)
        DefaultStore = std::make_shared<TRegistryStore>();
    return DefaultStore;
}

void TRegistryStore::SetDefault(std::shared_ptr<TRegistryStore> store)
{
    std::lock_guard<std::mutex> lock(DefaultMutex);
    DefaultStore = std::move(store);
}

