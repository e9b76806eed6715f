// SPDX-License-Identifier: GPL-3.0-or-later
// BarItems: toolbar items as components of their form (button, edit and drop-down list, each with a
// caption), and the item group that enables its members together.
#pragma once

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QStringList>
#include <QToolBar>

#include "platform/Component.h"

#include <functional>
#include <string>
#include <vector>

/// One item of a toolbar, owned (as a component) by its form; the Qt side lives in the toolbar.
/// Enabled and Caption act on the item's QAction, which Qt keeps in step with its widget.
class TBarItem : public TComponent
{
public:
    TBarItem(TComponent *owner, const std::string &name);
    QAction *Action() const { return FAction; }
    bool Enabled() const;
    void SetEnabled(bool value);
    std::string Caption() const;
    std::string ClassName() const override { return "TBarItem"; }

protected:
    QPointer<QAction> FAction;
};

/// A tool button with caption and hint; OnClick fires on a click.
class TBarButton : public TBarItem
{
public:
    /// Adds the button to `bar`; `beginGroup` puts a separator in front of it.
    TBarButton(TComponent *owner, const std::string &name, QToolBar *bar, const QString &caption, bool beginGroup = false);
    void SetOnClick(std::function<void()> handler) { FOnClick = std::move(handler); }
    std::string ClassName() const override { return "TBarButton"; }

private:
    std::function<void()> FOnClick;
};

/// An edit with its caption shown beside it.
class TBarEdit : public TBarItem
{
public:
    TBarEdit(TComponent *owner, const std::string &name, QToolBar *bar, const QString &caption, int width,
             bool beginGroup = false);
    QLineEdit *Editor() const { return FEditor; }
    std::string Text() const;
    void SetText(const std::string &text);
    std::string ClassName() const override { return "TBarEdit"; }

private:
    QPointer<QLineEdit> FEditor;
};

/// A drop-down list without free text, with its caption shown beside it. OnChange fires when the
/// shown entry changes, except through SetItemIndex.
class TBarCombo : public TBarItem
{
public:
    TBarCombo(TComponent *owner, const std::string &name, QToolBar *bar, const QString &caption, int width,
              const QStringList &items, bool beginGroup = false);
    QComboBox *Combo() const { return FCombo; }
    int ItemIndex() const;
    void SetItemIndex(int index);
    void SetOnChange(std::function<void()> handler) { FOnChange = std::move(handler); }
    std::string ClassName() const override { return "TBarCombo"; }

private:
    QPointer<QComboBox> FCombo;
    std::function<void()> FOnChange;
};

/// A group of items whose enabled flags are set together. Its own flag is only remembered until it
/// is set: creating a group does not touch its members.
class TBarGroup : public TComponent
{
public:
    TBarGroup(TComponent *owner, const std::string &name, std::vector<TBarItem *> members);
    bool Enabled() const { return FEnabled; }
    /// Sets the enabled flag of every member.
    void SetEnabled(bool value);
    const std::vector<TBarItem *> &Members() const { return FMembers; }
    std::string ClassName() const override { return "TBarGroup"; }

private:
    std::vector<TBarItem *> FMembers; // not owned; siblings under the same form
    bool FEnabled = false;
};
