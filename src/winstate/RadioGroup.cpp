// SPDX-License-Identifier: GPL-3.0-or-later
#include "RadioGroup.h"

#include <QRadioButton>
#include <QVBoxLayout>

TRadioGroup::TRadioGroup(const QString &title, QWidget *parent)
    : QGroupBox(title, parent)
    , FLayout(new QVBoxLayout(this))
{
    FGroup.setExclusive(true);
    connect(&FGroup, &QButtonGroup::idClicked, this, &TRadioGroup::ItemIndexChanged);
}

QStringList TRadioGroup::Items() const
{
    QStringList out;
    for (QAbstractButton *b : FGroup.buttons())
        out << b->text();
    return out;
}

void TRadioGroup::SetItems(const QStringList &items)
{
    for (QAbstractButton *b : FGroup.buttons()) {
        FGroup.removeButton(b);
        delete b;
    }
    for (int i = 0; i < items.size(); ++i) {
        auto *b = new QRadioButton(items[i], this);
        FLayout->addWidget(b);
        FGroup.addButton(b, i);
    }
}

int TRadioGroup::ItemIndex() const
{
    return FGroup.checkedId();
}

void TRadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton *b = FGroup.button(index)) {
        b->setChecked(true);
    } else if (QAbstractButton *checked = FGroup.checkedButton()) {
        FGroup.setExclusive(false); // an exclusive group does not let its last choice go
        checked->setChecked(false);
        FGroup.setExclusive(true);
    }
    emit ItemIndexChanged(ItemIndex());
}
