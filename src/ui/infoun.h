// SPDX-License-Identifier: GPL-3.0-or-later
// infoun: the status window, a small always-on-top window that shows one message while the
// program is busy, with an optional stop button.
#pragma once

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>

#include "toolkit/QtForm.h"
#include "ui/TextGauge2.h"

#include <string>

/// The status window ("Information"). At most one exists in the process: reach it through
/// GetInfoform() and free it through FreeInfoform(). GUI thread only.
///
/// Sizes follow the window's design: Height() is the outer height (title bar and frame included),
/// which ShowInfo() sets from the message's measured height.
class TInfoform : public TQtForm<QWidget>
{
public:
    TInfoform();
    ~TInfoform() override;

    /// Lays the window out for `text` and shows it at once (non-modal): the label holds the text,
    /// the window's outer height becomes the larger of the label's and the image's height plus 20,
    /// and a text taller than the label grows the label (never shrinks it) and the window. Pending
    /// messages are processed before and after showing, so handlers of other events (timers,
    /// synchronous calls of workers) may run inside this call.
    void ShowInfo(const std::string &text);

    /// The stop handler. While one is assigned, ShowInfo shows the button "Abbruch"; clicking it
    /// calls the handler once, clears it and hides the window.
    const TNotifyEvent &OnStop() const { return FOnStop; }
    void SetOnStop(TNotifyEvent handler) { FOnStop = std::move(handler); }

    /// The picture shown left of the text (none by default). A picture wider than 0 pixels makes
    /// the image visible at the next ShowInfo and moves the text right of it.
    void SetPicture(const QPixmap &picture);

    /// The outer height of the window as last laid out.
    int Height() const { return FHeight; }

    // The window's controls, under their design names.
    QPushButton *stopbt;
    QLabel *inftext;
    QLabel *xinfo;
    TTextGauge *om;
    QLabel *Image;

    std::string ClassName() const override { return "TInfoform"; }

private:
    void FormCreate(TObject *sender);
    void stopbtClick();
    /// Sets the outer height; the client area is that minus the title bar and frame.
    void SetHeight(int height);
    int NonClientHeight() const;

    TNotifyEvent FOnStop;
    QPixmap FPicture;
    int FHeight = 0;
};

/// The status window, created (hidden, with its gauge at 0) on first use.
TInfoform *GetInfoform();
/// Destroys the status window if there is one.
void FreeInfoform();
/// The status window if it exists, else nullptr (does not create one).
TInfoform *Infoform();
