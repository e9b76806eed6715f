// SPDX-License-Identifier: GPL-3.0-or-later
#include "FormPanel.h"

TFormPanel::TFormPanel(QWidget *parent)
    : QWidget(parent)
{
}

TFormPanel::~TFormPanel()
{
    // Never take a hosted form down with us: its creator owns it.
    SetForm(nullptr);
}

void TFormPanel::SetForm(QWidget *form)
{
    if (form == FForm)
        return;
    if (FForm) {
        FForm->hide();
        FForm->setParent(nullptr);
    }
    FForm = form;
    if (form) {
        form->setParent(this, Qt::Widget);
        form->setGeometry(rect());
        form->show();
    }
}

void TFormPanel::resizeEvent(QResizeEvent *event)
{
    if (FForm)
        FForm->setGeometry(rect());
    QWidget::resizeEvent(event);
}
