// SPDX-License-Identifier: GPL-3.0-or-later
#include "Component.h"

#include <algorithm>
#include <cctype>

bool SameText(const std::string &a, const std::string &b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::string LowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

void TPersistent::Assign(const TPersistent &source)
{
    throw EConvertError("Cannot assign a " + source.ClassName() + " to a " + ClassName());
}

TComponent::TComponent(TComponent *owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    FComponentState |= csDestroying;
    // Tell everyone who asked; each answer may remove itself from our list, so work on a copy.
    while (!FFreeNotifies.empty()) {
        TComponent *other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        auto &theirs = other->FFreeNotifies;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        other->Notification(this, TOperation::opRemove);
    }
    while (!FComponents.empty()) {
        TComponent *last = FComponents.back();
        delete last; // leaves us through RemoveComponent
    }
    if (FOwner)
        FOwner->RemoveComponent(this);
}

TComponent *TComponent::FindComponent(const std::string &name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent *c : FComponents)
        if (SameText(c->Name(), name))
            return c;
    return nullptr;
}

void TComponent::SetDesigning(bool value)
{
    if (value)
        FComponentState |= csDesigning;
    else
        FComponentState &= ~csDesigning;
    for (TComponent *c : FComponents)
        c->SetDesigning(value);
}

void TComponent::SetLoading(bool value)
{
    if (value)
        FComponentState |= csLoading;
    else
        FComponentState &= ~csLoading;
    for (TComponent *c : FComponents)
        c->SetLoading(value);
}

void TComponent::Loaded()
{
    FComponentState &= ~csLoading;
}

void TComponent::Notification(TComponent *component, TOperation operation)
{
    if (operation == TOperation::opRemove && component)
        FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), component), FFreeNotifies.end());
    for (int i = ComponentCount() - 1; i >= 0; --i)
        FComponents[static_cast<size_t>(i)]->Notification(component, operation);
}

void TComponent::FreeNotification(TComponent *component)
{
    if (!component || component == this)
        return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end())
        FFreeNotifies.push_back(component);
    auto &theirs = component->FFreeNotifies;
    if (std::find(theirs.begin(), theirs.end(), this) == theirs.end())
        theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent *component)
{
    if (!component)
        return;
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), component), FFreeNotifies.end());
    auto &theirs = component->FFreeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::InsertComponent(TComponent *component)
{
    if (!component || component->FOwner == this)
        return;
    if (component->FOwner)
        component->FOwner->RemoveComponent(component);
    FComponents.push_back(component);
    component->FOwner = this;
    if (Designing())
        component->SetDesigning(true);
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent *component)
{
    auto it = std::find(FComponents.begin(), FComponents.end(), component);
    if (it == FComponents.end())
        return;
    Notification(component, TOperation::opRemove);
    it = std::find(FComponents.begin(), FComponents.end(), component);
    if (it != FComponents.end())
        FComponents.erase(it);
    component->FOwner = nullptr;
}
