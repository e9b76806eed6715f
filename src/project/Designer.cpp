// SPDX-License-Identifier: GPL-3.0-or-later
#include "Designer.h"

#include "platform/Application.h"
#include "platform/FormDescription.h"
#include "platform/Forms.h"
#include "project/VProject.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const char *const Usage =
    "Usage: vorlant-designer FORMFILE [--add Name:Class]... [--set Component.Property=Value]...\n"
    "                        [--save] [--answer yes|no|cancel] [--print]\n"
    "Opens the form description FORMFILE in design mode, drops each --add as a new component\n"
    "on the form, assigns each --set through the property's setter in the order given, saves\n"
    "the form with --save and prints every component's properties with --print. Questions are\n"
    "asked on the terminal unless --answer gives the answer. A list of strings takes its lines\n"
    "separated by newlines. --version prints the version, --help this text.\n";

/// The designed form: a form of the class the description names.
class TDesignForm : public TForm
{
public:
    explicit TDesignForm(std::string className)
        : TForm(nullptr)
        , FClassName(std::move(className))
    {
    }
    std::string ClassName() const override { return FClassName; }

private:
    std::string FClassName;
};

/// Message boxes on the terminal: the box goes to standard error; a question takes its answer
/// from --answer or from a line of standard input (end of input answers Cancel).
class TTerminalPrompter : public TDesignPrompter
{
public:
    explicit TTerminalPrompter(int scripted)
        : FScripted(scripted)
    {
    }

    int MessageBox(const std::string &text, const std::string &caption, TMsgDlgType, TMsgDlgButtons buttons) override
    {
        std::string shown = text;
        std::replace(shown.begin(), shown.end(), '\r', '\n');
        std::cerr << "[" << caption << "] " << shown;
        if (buttons == TMsgDlgButtons::mbOK) {
            std::cerr << "\n";
            return mrOk;
        }
        if (FScripted != mrNone) {
            std::cerr << " " << (FScripted == mrYes ? "yes" : FScripted == mrNo ? "no" : "cancel") << "\n";
            return FScripted;
        }
        std::cerr << " [y]es/[n]o/[c]ancel: " << std::flush;
        for (;;) {
            std::string line;
            if (!std::getline(std::cin, line)) {
                std::cerr << "(end of input: cancel)\n";
                return mrCancel;
            }
            int answer = ParseAnswer(line);
            if (answer != mrNone)
                return answer;
            std::cerr << "Please answer y, n or c: " << std::flush;
        }
    }

    static int ParseAnswer(const std::string &answer)
    {
        std::string text = LowerCase(answer);
        if (text == "y" || text == "yes")
            return mrYes;
        if (text == "n" || text == "no")
            return mrNo;
        if (text == "c" || text == "cancel")
            return mrCancel;
        return mrNone;
    }

private:
    int FScripted;
};

struct TNewComponent {
    std::string Name, ClassName, Argument;
};

struct TAssignment {
    std::string Component, Property, Value, Argument;
};

class EUsage : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

const TFormNode *FindNode(const TFormNode &node, const std::string &name)
{
    if (SameText(node.Name, name))
        return &node;
    for (const TFormNode &child : node.Children)
        if (const TFormNode *found = FindNode(child, name))
            return found;
    return nullptr;
}

/// The stored properties a node's class has (a root of an unregistered class: those of a form).
std::vector<const TPropertyInfo *> NodeProperties(const TFormNode &node, bool isRoot)
{
    bool registered = FindComponentClass(node.ClassName) != nullptr;
    return StoredPropertiesOfClass(registered || !isRoot ? node.ClassName : "TForm");
}

/// Checks every --set against the description before the form is opened, so that a bad argument
/// changes nothing (opening alone counts a build and may touch the stored defaults).
void CheckAssignments(const TFormNode &root, const std::vector<TAssignment> &assignments)
{
    for (const TAssignment &a : assignments) {
        const TFormNode *node = FindNode(root, a.Component);
        if (!node)
            throw std::invalid_argument("--set " + a.Argument + ": there is no component named " + a.Component);
        const TPropertyInfo *info = nullptr;
        for (const TPropertyInfo *p : NodeProperties(*node, node == &root))
            if (SameText(p->Name, a.Property))
                info = p;
        if (!info)
            throw std::invalid_argument("--set " + a.Argument + ": " + node->ClassName + " has no property " + a.Property);
        try {
            if (info->Kind == TPropertyKind::Reference) {
                if (!a.Value.empty() && !SameText(a.Value, "nil") && !FindNode(root, a.Value))
                    throw std::invalid_argument(info->Name + ": there is no component named '" + a.Value + "'");
            } else {
                info->FromText(a.Value, nullptr);
            }
        } catch (const std::invalid_argument &e) {
            throw std::invalid_argument("--set " + a.Argument + ": " + e.what());
        }
    }
}

void PrintComponent(std::ostream &out, const TComponent &component)
{
    for (const TPropertyInfo *p : StoredProperties(component)) {
        std::string prefix = component.Name() + "." + p->Name;
        try {
            TPropertyValue value = p->Get(component);
            if (p->Kind == TPropertyKind::Strings) {
                const auto &lines = std::get<std::vector<std::string>>(value);
                out << prefix << " = (" << lines.size() << (lines.size() == 1 ? " line)\n" : " lines)\n");
                for (const std::string &line : lines)
                    out << "  " << line << "\n";
            } else {
                out << prefix << " = " << p->ToText(value) << "\n";
            }
        } catch (const std::exception &e) {
            out << prefix << " = (error: " << e.what() << ")\n";
        }
    }
}

/// Writes the file through a temporary file in the same folder, so that a failure never leaves
/// half a description behind.
void SaveFile(const std::string &path, const std::string &text)
{
    std::string temp = path + ".saving";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            std::error_code ec;
            fs::remove(temp, ec);
            throw std::runtime_error("cannot write " + temp);
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw std::runtime_error("cannot replace " + path + ": " + ec.message());
    }
}

} // namespace

int RunDesigner(int argc, char **argv, const TRegisterClasses &registerClasses)
{
    std::string formFile;
    std::vector<TAssignment> assignments;
    std::vector<TNewComponent> additions;
    bool save = false, print = false;
    int scripted = mrNone;
    try {
        for (int i = 1; i < argc; ++i) {
            std::string arg = argv[i];
            auto next = [&]() -> std::string {
                if (i + 1 >= argc)
                    throw EUsage(arg + " needs a value");
                return argv[++i];
            };
            if (arg == "--help" || arg == "-h") {
                std::cout << Usage;
                return 0;
            } else if (arg == "--save") {
                save = true;
            } else if (arg == "--print") {
                print = true;
            } else if (arg == "--answer") {
                std::string value = next();
                scripted = TTerminalPrompter::ParseAnswer(value);
                if (scripted == mrNone)
                    throw EUsage("--answer takes yes, no or cancel, not '" + value + "'");
            } else if (arg == "--add") {
                std::string value = next();
                size_t colon = value.find(':');
                if (colon == std::string::npos || colon == 0 || colon + 1 == value.size())
                    throw EUsage("--add takes Name:Class, not '" + value + "'");
                additions.push_back({value.substr(0, colon), value.substr(colon + 1), value});
            } else if (arg == "--set") {
                std::string value = next();
                size_t dot = value.find('.');
                size_t eq = value.find('=');
                if (dot == std::string::npos || eq == std::string::npos || dot > eq || dot == 0 || eq == dot + 1)
                    throw EUsage("--set takes Component.Property=Value, not '" + value + "'");
                assignments.push_back({value.substr(0, dot), value.substr(dot + 1, eq - dot - 1), value.substr(eq + 1), value});
            } else if (arg.rfind("--", 0) == 0) {
                throw EUsage("unknown option " + arg);
            } else if (formFile.empty()) {
                formFile = arg;
            } else {
                throw EUsage("only one FORMFILE, not also '" + arg + "'");
            }
        }
        if (formFile.empty())
            throw EUsage("FORMFILE missing");
    } catch (const EUsage &e) {
        std::cerr << "vorlant-designer: " << e.what() << "\n" << Usage;
        return 2;
    }

    try {
        RegisterProjectComponents();
        if (registerClasses)
            registerClasses();
        std::ifstream in(formFile, std::ios::binary);
        if (!in)
            throw std::runtime_error(formFile + ": cannot open the form description");
        std::stringstream text;
        text << in.rdbuf();
        TFormNode description = ParseFormDescription(text.str(), formFile);
        TFormNode planned = description; // with the components to be added, for checking
        for (const TNewComponent &n : additions) {
            const TComponentClass *cls = FindComponentClass(n.ClassName);
            if (!cls || !cls->CanCreate())
                throw std::invalid_argument("--add " + n.Argument + ": unknown component class " + n.ClassName);
            if (FindNode(planned, n.Name))
                throw std::invalid_argument("--add " + n.Argument + ": a component named " + n.Name + " exists already");
            TFormNode node;
            node.Name = n.Name;
            node.ClassName = n.ClassName;
            planned.Children.push_back(node);
        }
        CheckAssignments(planned, assignments);

        TTerminalPrompter prompter(scripted);
        SetDesignPrompter(&prompter);
        struct TRestore {
            ~TRestore() { SetDesignPrompter(nullptr); }
        } restore;

        TDesignForm form(description.ClassName);
        form.SetDesigning(true);
        ReadFormDescription(form, description, formFile);
        // A dropped component is created in design mode but never loaded.
        for (const TNewComponent &n : additions)
            FindComponentClass(n.ClassName)->Create(&form)->SetName(n.Name);

        for (const TAssignment &a : assignments) {
            TComponent *target = SameText(form.Name(), a.Component) ? &form : form.FindComponent(a.Component);
            const TPropertyInfo *info = target ? FindStoredProperty(*target, a.Property) : nullptr;
            if (!info)
                throw std::runtime_error("--set " + a.Argument + ": no such component or property");
            try {
                info->Set(*target, info->FromText(a.Value, &form));
            } catch (const std::exception &e) {
                throw std::runtime_error("--set " + a.Argument + ": " + e.what());
            }
        }

        if (save) {
            std::string written = WriteFormDescription(form);
            SaveFile(formFile, written);
            for (int i = 0; i < form.ComponentCount(); ++i)
                if (auto *project = dynamic_cast<TProject *>(form.Components(i)); project && !project->LastResourceError().empty())
                    std::cerr << "vorlant-designer: " << project->Name()
                              << ": version resource not written: " << project->LastResourceError() << "\n";
        }
        if (print) {
            std::cout << "Title = " << Application().Title() << "\n";
            PrintComponent(std::cout, form);
            for (int i = 0; i < form.ComponentCount(); ++i)
                if (FindComponentClass(form.Components(i)->ClassName()))
                    PrintComponent(std::cout, *form.Components(i));
        }
        return 0;
    } catch (const std::exception &e) {
        std::cerr << "vorlant-designer: " << e.what() << "\n";
        return 1;
    }
}
