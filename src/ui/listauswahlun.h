// SPDX-License-Identifier: GPL-3.0-or-later
// listauswahlun: a small modal dialog that offers lines of text with a check box each and returns
// the ticked ones.
#pragma once

#include <QListWidget>
#include <QPushButton>
#include <QDialog>
#include <QWidget>

#include "toolkit/QtForm.h"

#include <string>
#include <vector>

/// Splits a text into lines as a string list reads it: CR LF, LF or a lone CR end a line; the
/// last line needs no break.
std::vector<std::string> SplitLines(const std::string &text);

/// The selection dialog ("Auswahl"): a check list on the left, the buttons "Ok", "Abbrechen" and
/// "Hilfe" on a panel on the right. It knows nothing of drives; it works on any lines.
class TListauswahldlg : public TQtForm<QDialog>
{
public:
    /// `owner` owns the dialog while it exists; when it is a widget the dialog is centred on it.
    explicit TListauswahldlg(TComponent *owner);
    ~TListauswahldlg() override;

    /// Shows the dialog modally over `lines` (one item per line; CR LF, LF or CR separate lines; a
    /// trailing line break adds no empty item; all items start unticked). Returns the ticked lines
    /// in list order joined by `separator` (nothing after the last); empty unless the dialog was
    /// closed with "Ok". The dialog is freed before this returns. GUI thread only.
    static std::string SelectFromList(TComponent *owner, const std::string &lines, const std::string &separator);

    QWidget *Panel1;
    QPushButton *ToolbarButton971; ///< "Abbrechen", modal result cancel
    QPushButton *ToolbarButton972; ///< "Ok", modal result ok
    QPushButton *ToolbarButton973; ///< "Hilfe", does nothing
    QListWidget *CheckListBox1;

    std::string ClassName() const override { return "TListauswahldlg"; }

private:
    void FormCreate(TObject *sender);
};
