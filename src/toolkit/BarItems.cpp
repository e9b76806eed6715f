// SPDX-License-Identifier: GPL-3.0-or-later
#include "BarItems.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QWidget>

#include "toolkit/QtApplication.h"

namespace {

// A caption label and a control side by side, as one toolbar widget.
QWidget *Captioned(const QString &caption, QWidget *control)
{
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
    return box;
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
    if (beginGroup)
        bar->addSeparator();
    FEditor = new QLineEdit;
    FEditor->setObjectName(ToQString(name));
    FEditor->setFixedWidth(width);
    FEditor->setToolTip(caption.trimmed());
    FAction = bar->addWidget(Captioned(caption, FEditor));
    FAction->setText(caption);
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
    if (beginGroup)
        bar->addSeparator();
    FCombo = new QComboBox;
    FCombo->setObjectName(ToQString(name));
    FCombo->setEditable(false);
    FCombo->addItems(items);
    FCombo->setMinimumWidth(width);
    FCombo->setToolTip(caption.trimmed());
    FAction = bar->addWidget(Captioned(caption, FCombo));
    FAction->setText(caption);
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
