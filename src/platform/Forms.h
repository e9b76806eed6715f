// SPDX-License-Identifier: GPL-3.0-or-later
// Forms: what the core knows of a form (create and close events as replaceable handler slots,
// caption, native window title, modal state and result). The Qt forms implement it
// (toolkit/QtForm.h); the core's tests use plain subclasses.
#pragma once

#include "Component.h"

#include <functional>
#include <string>

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject *sender, TCloseAction &action)>;

/// Modal results as the platform numbers them.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

class TForm : public TComponent
{
public:
    using TComponent::TComponent;

    /// The create event: fired once by DoCreate(), after the form and its components are loaded.
    const TNotifyEvent &OnCreate() const { return FOnCreate; }
    void SetOnCreate(TNotifyEvent handler) { FOnCreate = std::move(handler); }
    /// The close event: fired by DoClose() when the form is being closed, before it is hidden or
    /// destroyed; handlers may change the action.
    const TCloseEvent &OnClose() const { return FOnClose; }
    void SetOnClose(TCloseEvent handler) { FOnClose = std::move(handler); }

    /// The caption property. Setting it also shows it as the native window title.
    const std::string &Caption() const { return FCaption; }
    void SetCaption(const std::string &caption);
    /// The native window's title text (the window-text message): shown without touching Caption().
    virtual void SetWindowText(const std::string &text) { FWindowText = text; }
    virtual std::string WindowText() const { return FWindowText; }

    /// True while the form is shown modally.
    virtual bool Modal() const { return false; }
    /// The modal result of the current or last modal showing; 0 when none.
    virtual int ModalResult() const { return mrNone; }

    /// Fires the create event (GUI thread). The form calls it once it and its components are loaded.
    void DoCreate();
    /// Fires the close event with `action` (GUI thread); returns the action the handlers left.
    TCloseAction DoClose(TCloseAction action = TCloseAction::caHide);

    std::string ClassName() const override { return "TForm"; }

private:
    TNotifyEvent FOnCreate;
    TCloseEvent FOnClose;
    std::string FCaption;
    std::string FWindowText;
};
