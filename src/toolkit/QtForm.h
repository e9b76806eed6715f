// SPDX-License-Identifier: GPL-3.0-or-later
// QtForm: joins a Qt window (QMainWindow, QDialog, QWidget) to the core's TForm, so that components
// owned by the form (the window state store, the project version component) see its create and
// close events, caption, modal state and result.
#pragma once

#include <QCloseEvent>
#include <QDialog>
#include <QPointer>
#include <QWidget>

#include "platform/Forms.h"
#include "toolkit/QtApplication.h"

#include <type_traits>

/// Usage: `class TVorlantMainform : public TQtForm<QMainWindow>`. The form builds its widgets and
/// components in its constructor, then calls Loaded() on its components and DoCreate() (directly or
/// through FinishCreate()). Closing the window fires OnClose; an action of caNone refuses the close.
template <class TWidget>
class TQtForm : public TWidget, public TForm
{
public:
    explicit TQtForm(QWidget *parent = nullptr, TComponent *owner = nullptr)
        : TWidget(parent)
        , TForm(owner)
    {
    }

    /// Sets the native window title without touching Caption().
    void SetWindowText(const std::string &text) override
    {
        TForm::SetWindowText(text);
        this->setWindowTitle(ToQString(text));
    }
    std::string WindowText() const override { return FromQString(this->windowTitle()); }

    bool Modal() const override
    {
        if constexpr (std::is_base_of_v<QDialog, TWidget>)
            return FInExec;
        return false;
    }
    int ModalResult() const override
    {
        if constexpr (std::is_base_of_v<QDialog, TWidget>)
            return FModalResult;
        return mrNone;
    }
    /// Dialogs: ends the modal showing with `result` (a TModalResult); the close event fires first.
    void SetModalResult(int result)
    {
        if constexpr (std::is_base_of_v<QDialog, TWidget>) {
            FModalResult = result;
            if (result != mrNone)
                this->done(result);
        }
    }
    /// Dialogs: shows the form modally and returns its modal result (mrCancel when closed by the
    /// window's close box).
    int ShowModal()
    {
        if constexpr (std::is_base_of_v<QDialog, TWidget>) {
            FModalResult = mrNone;
            FInExec = true;
            this->exec();
            FInExec = false;
            return FModalResult;
        }
        return mrNone;
    }

    /// Calls Loaded() on every owned component, then fires the create event.
    void FinishCreate()
    {
        for (int i = 0; i < ComponentCount(); ++i)
            Components(i)->Loaded();
        TForm::Loaded();
        DoCreate();
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        if constexpr (std::is_base_of_v<QDialog, TWidget>) {
            if (FInExec && FModalResult == mrNone)
                FModalResult = mrCancel;
        }
        if (DoClose(TCloseAction::caHide) == TCloseAction::caNone) {
            event->ignore();
            return;
        }
        FInCloseEvent = true;
        TWidget::closeEvent(event); // a dialog ends its exec through done() here
        FInCloseEvent = false;
    }

    /// Dialogs: every end of a modal showing passes here (buttons, Escape, close box).
    void done(int r)
    {
        if constexpr (std::is_base_of_v<QDialog, TWidget>) {
            if (FInCloseEvent) { // the close event has fired already
                TWidget::done(r);
                return;
            }
            FModalResult = r == QDialog::Rejected ? mrCancel : r;
            if (DoClose(TCloseAction::caHide) == TCloseAction::caNone)
                return;
            TWidget::done(r);
        }
    }

private:
    bool FInExec = false;
    bool FInCloseEvent = false;
    int FModalResult = mrNone;
};
