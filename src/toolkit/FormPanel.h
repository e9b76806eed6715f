// SPDX-License-Identifier: GPL-3.0-or-later
// FormPanel: a container that hosts a form as a borderless child filling it.
#pragma once

#include <QPointer>
#include <QWidget>

/// Hosts one form (any top-level QWidget) as a child without frame that fills the panel.
/// The panel does not own the hosted form: whoever created the form frees it, and should release
/// it from the panel (SetForm(nullptr)) or free it before the panel goes. A form freed while hosted
/// simply disappears from the panel (Form() becomes nullptr).
class TFormPanel : public QWidget
{
    Q_OBJECT
public:
    explicit TFormPanel(QWidget *parent = nullptr);
    ~TFormPanel() override;

    QWidget *Form() const { return FForm; }
    /// Hosts `form` (releasing the previous one); nullptr only releases. A released form becomes a
    /// hidden top-level window again.
    void SetForm(QWidget *form);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<QWidget> FForm;
};
