// SPDX-License-Identifier: GPL-3.0-or-later
#include "Forms.h"

void TForm::SetCaption(const std::string &caption)
{
    FCaption = caption;
    SetWindowText(caption);
}

void TForm::DoCreate()
{
    if (FOnCreate)
        FOnCreate(this);
}

TCloseAction TForm::DoClose(TCloseAction action)
{
    if (FOnClose)
        FOnClose(this, action);
    return action;
}
