// SPDX-License-Identifier: GPL-3.0-or-later
// Designer: vorlant-designer, the command-line form designer. It opens a form description in
// design mode, assigns properties through their setters, saves the form and prints it.
#pragma once

#include <functional>
#include <string>

/// Registers the component classes whose forms the designer edits. The program's entry passes the
/// registration functions of every library it links (the project component registers itself).
using TRegisterClasses = std::function<void()>;

/// Runs the designer: `vorlant-designer FORMFILE [--set Component.Property=Value]... [--save]
/// [--answer yes|no|cancel] [--print]`. Message boxes become terminal prompts (standard error and
/// standard input) unless --answer gives every question's answer. Returns 0 on success, 1 on a
/// failure (message on standard error; the form file is not written), 2 on bad usage.
int RunDesigner(int argc, char **argv, const TRegisterClasses &registerClasses = {});
