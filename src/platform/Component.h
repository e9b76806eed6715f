// SPDX-License-Identifier: GPL-3.0-or-later
// Component: the object model our forms and non-visual components share (owner, name, owned
// components, design and loading state, Loaded and Notification), with no GUI behind it.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

class TObject
{
public:
    virtual ~TObject() = default;
    /// The class name as the system spells it ("TComponent", "TProject", ...). Code compares it
    /// exactly, so every class that others may look for overrides it.
    virtual std::string ClassName() const { return "TObject"; }
};

/// Raised by Assign when the source cannot be copied into the target.
class EConvertError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class TPersistent : public TObject
{
public:
    /// Copies the source's published state. The base raises EConvertError
    /// ("Cannot assign a <source class> to a <own class>").
    virtual void Assign(const TPersistent &source);
    std::string ClassName() const override { return "TPersistent"; }
};

enum class TOperation { opInsert, opRemove };

/// Bits of TComponent::ComponentState().
enum TComponentStateFlag : unsigned {
    csLoading = 1u << 0, ///< stored properties are being assigned; Loaded() clears it
    csReading = 1u << 1,
    csWriting = 1u << 2,
    csDestroying = 1u << 3,
    csDesigning = 1u << 4, ///< the owning form is being edited in the designer
};

using TNotifyEvent = std::function<void(TObject *sender)>;

/// A component belongs to its owner: the owner frees the components it owns, in reverse order
/// of creation, when it is destroyed. A component without an owner is freed by whoever created it.
/// Not thread-safe: components live on the GUI thread.
class TComponent : public TPersistent
{
public:
    /// Registers the new component with `owner` (if any) as its last component; the owner and all
    /// its components are told through Notification(this, opInsert).
    explicit TComponent(TComponent *owner);
    /// Tells every component that asked for it (FreeNotification) and every sibling through the
    /// owner that this one goes (opRemove), frees the owned components, then leaves the owner.
    ~TComponent() override;
    TComponent(const TComponent &) = delete;
    TComponent &operator=(const TComponent &) = delete;

    TComponent *Owner() const { return FOwner; }
    const std::string &Name() const { return FName; }
    void SetName(const std::string &name) { FName = name; }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    /// The owned component at `index` (creation order). Out of range: std::out_of_range.
    TComponent *Components(int index) const { return FComponents.at(static_cast<size_t>(index)); }
    /// The owned component whose Name equals `name` without regard to case, or nullptr.
    TComponent *FindComponent(const std::string &name) const;

    unsigned ComponentState() const { return FComponentState; }
    bool Designing() const { return (FComponentState & csDesigning) != 0; }
    bool Loading() const { return (FComponentState & csLoading) != 0; }
    /// Puts this component and every component it owns into (or out of) design mode.
    void SetDesigning(bool value);
    /// Marks this component and its owned components as being loaded (csLoading); Loaded() clears it.
    void SetLoading(bool value);

    /// Called once after all stored properties have been assigned. The base clears csLoading.
    virtual void Loaded();
    /// Told when `component` is inserted into or removed from this component's owner tree, or when a
    /// component this one asked to be told about (FreeNotification) is destroyed. The base passes
    /// the news on to every owned component.
    virtual void Notification(TComponent *component, TOperation operation);
    /// Called by the form-description writer right before this component's stored properties are
    /// written (a component may update them first). The base does nothing; it may raise, which
    /// stops the writing.
    virtual void WriteState() {}
    /// Asks to be told (Notification(component, opRemove)) when `component` is destroyed; the
    /// request is mutual, so neither keeps a dangling pointer to the other.
    void FreeNotification(TComponent *component);
    void RemoveFreeNotification(TComponent *component);

    void InsertComponent(TComponent *component);
    void RemoveComponent(TComponent *component);

    std::string ClassName() const override { return "TComponent"; }

private:
    TComponent *FOwner = nullptr;
    std::string FName;
    std::vector<TComponent *> FComponents; // owned
    std::vector<TComponent *> FFreeNotifies; // not owned
    unsigned FComponentState = 0;
};

/// Compares two names without regard to ASCII case (component, property, INI and registry names).
bool SameText(const std::string &a, const std::string &b);
/// `text` in ASCII lower case.
std::string LowerCase(std::string text);
