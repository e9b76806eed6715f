// SPDX-License-Identifier: GPL-3.0-or-later
// Temporary: TUserReg without a registry store (every open fails). Removed once the store exists.
#include "VProject.h"

struct TUserReg::TImpl {
};
TUserReg::TUserReg() = default;
TUserReg::~TUserReg() = default;
std::string TUserReg::DefaultsKey()
{
    return "SOFTWARE\\Vorlant\\Designer\\2.0\\Project Version";
}
void TUserReg::OpenKey(const std::string &)
{
    throw EProjectError("Cannot connect to registry");
}
void TUserReg::CloseKey() {}
void TUserReg::WriteString(const std::string &, const std::string &) {}
void TUserReg::WriteInteger(const std::string &, std::int32_t) {}
std::string TUserReg::ReadString(const std::string &, const std::string &d)
{
    return d;
}
std::int32_t TUserReg::ReadInteger(const std::string &, std::int32_t d)
{
    return d;
}
