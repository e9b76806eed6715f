// SPDX-License-Identifier: GPL-3.0-or-later
// RadioGroup: TRadioGroup, a titled box of mutually exclusive radio buttons chosen by index, the
// radio-group control our forms use (its value is ItemIndex).
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

class QVBoxLayout;

/// The buttons are its children, one per item, top to bottom. ItemIndex is -1 when none is chosen.
class TRadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    explicit TRadioGroup(const QString &title = QString(), QWidget *parent = nullptr);

    QStringList Items() const;
    /// Replaces the buttons; none is chosen afterwards.
    void SetItems(const QStringList &items);
    int ItemIndex() const;
    /// Chooses the item; an index outside the items chooses none.
    void SetItemIndex(int index);

signals:
    void ItemIndexChanged(int index);

private:
    QButtonGroup FGroup;
    QVBoxLayout *FLayout;
};
