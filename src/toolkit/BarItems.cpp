// SPDX-License-Identifier: GPL-3.0-or-later
#include "BarItems.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QWidget>

#include "toolkit/QtText.h"

namespace {

// Adds a caption label and `control` side by side to `bar` as one toolbar widget (after a
// separator when `beginGroup`) and returns its action. The control is named `name`; the caption
// trimmed is the hint of the control and of the label beside it.
QAction *AddCaptioned(QToolBar *bar, const std::string &name, const QString &caption, QWidget *control, bool beginGroup)
{
    if (beginGroup)
        bar->addSeparator();
    control->setObjectName(ToQString(name));
    control->setToolTip(caption.trimmed());
    auto *box = new QWidget;
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(4);
    auto *label = new QLabel(caption, box);
    label->setBuddy(control);
    layout->addWidget(label);
    control->setParent(box);
    layout->addWidget(control);
    box->setToolTip(caption.trimmed());
    box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    QAction *action = bar->addWidget(box);
    action->setText(caption);
    return action;
}

} // namespace

TBarItem::TBarItem(TComponent *owner, const std::string &name)
    : TComponent(owner)
{
    SetName(name);
}

bool TBarItem::Enabled() const
{
    return FAction && FAction->isEnabled();
}

void TBarItem::SetEnabled(bool value)
{
    if (FAction)
        FAction->setEnabled(value);
}

std::string TBarItem::Caption() const
{
    return FAction ? FromQString(FAction->text()) : std::string();
}

TBarButton::TBarButton(TComponent *owner, const std::string &name, QToolBar *bar, const QString &caption, bool beginGroup)
    : TBarItem(owner, name)
{
    if (beginGroup)
        bar->addSeparator();
    FAction = bar->addAction(caption);
    FAction->setObjectName(ToQString(name));
    FAction->setToolTip(caption);
    QObject::connect(FAction, &QAction::triggered, FAction, [this] {
        if (FOnClick)
            FOnClick();
    });
}

TBarEdit::TBarEdit(TComponent *owner, const std::string &name, QToolBar *bar, const QString &caption, int width,
                   bool beginGroup)
    : TBarItem(owner, name)
{
    FEditor = new QLineEdit;
    FEditor->setFixedWidth(width);
    FAction = AddCaptioned(bar, name, caption, FEditor, beginGroup);
}

std::string TBarEdit::Text() const
{
    return FEditor ? FromQString(FEditor->text()) : std::string();
}

void TBarEdit::SetText(const std::string &text)
{
    if (FEditor)
        FEditor->setText(ToQString(text));
}

TBarCombo::TBarCombo(TComponent *owner, const std::string &name, QToolBar *bar, const QString &caption, int width,
                     const QStringList &items, bool beginGroup)
    : TBarItem(owner, name)
{
    FCombo = new QComboBox;
    FCombo->setEditable(false);
    FCombo->addItems(items);
    FCombo->setMinimumWidth(width);
    FAction = AddCaptioned(bar, name, caption, FCombo, beginGroup);
    QObject::connect(FCombo, &QComboBox::currentIndexChanged, FCombo, [this](int) {
        if (FOnChange)
            FOnChange();
    });
}

int TBarCombo::ItemIndex() const
{
    return FCombo ? FCombo->currentIndex() : -1;
}

void TBarCombo::SetItemIndex(int index)
{
    if (FCombo) {
        QSignalBlocker quiet(FCombo);
        FCombo->setCurrentIndex(index);
    }
}

TBarGroup::TBarGroup(TComponent *owner, const std::string &name, std::vector<TBarItem *> members)
    : TComponent(owner)
    , FMembers(std::move(members))
{
    SetName(name);
}

void TBarGroup::SetEnabled(bool value)
{
    FEnabled = value;
    for (auto *item : FMembers)
        item->SetEnabled(value);
}
