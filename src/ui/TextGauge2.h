// SPDX-License-Identifier: GPL-3.0-or-later
// TextGauge2: a windowless gauge showing an integer between a minimum and a maximum as a bar, pie,
// needle or plain area, with its caption (or the percentage) drawn inverted over it.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include "platform/Component.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

/// Raised by an operation that is not allowed in the object's state (a gauge range that would cross).
class EInvalidOperation : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

enum TTextGaugeKind : std::uint8_t {
    gkText = 0,
    gkHorizontalBar = 1,
    gkVerticalBar = 2,
    gkPie = 3,
    gkNeedle = 4,
};

enum TBorderStyle : std::uint8_t {
    bsNone = 0,
    bsSingle = 1,
};

/// A new maximum or value, with the gauge as sender.
using TOnValue = std::function<void(TObject *sender, int value)>;

/// The gauge. It is a widget (placed in its parent) and a component of its owner form (so that it
/// shares the form's design state: no events are raised while the owner is being designed).
///
/// Invariant kept by the setters: MinValue <= Progress <= MaxValue. Setters that change what is
/// shown repaint at once (before they return, when the gauge is visible); their events run first.
///
/// Painting draws into off-screen images only and combines them by exclusive-or, so the text
/// inverts every pixel beneath it: PaintImage() is what a paint puts on screen.
class TTextGauge : public QWidget, public TComponent
{
public:
    explicit TTextGauge(QWidget *parent = nullptr, TComponent *owner = nullptr);

    int MinValue() const { return FMinValue; }
    /// Equal: nothing. Above MaxValue: EInvalidOperation ("Wert muß zwischen -2147483647 und
    /// <MaxValue - 1> liegen"), nothing changes. Otherwise stored; Progress is raised to it if below
    /// (no event); repaint.
    void SetMinValue(int value);
    int MaxValue() const { return FMaxValue; }
    /// Equal: nothing. Below MinValue: EInvalidOperation ("Wert muß zwischen <MinValue + 1> und
    /// 2147483647 liegen"). Otherwise stored; Progress is lowered to it if above (without
    /// OnSetValue); OnSetMax(MaxValue); repaint.
    void SetMaxValue(int value);
    /// Second names of MinValue and MaxValue.
    int Min() const { return MinValue(); }
    void SetMin(int value) { SetMinValue(value); }
    int Max() const { return MaxValue(); }
    void SetMax(int value) { SetMaxValue(value); }

    int Progress() const { return FProgress; }
    /// Clamped into MinValue ... MaxValue. Only when the percentage changes: OnSetValue, repaint.
    void SetProgress(int value);
    int Position() const { return Progress(); }
    void SetPosition(int value) { SetProgress(value); }

    const std::string &Caption() const { return FCaption; }
    /// Stored; painted with the next paint cycle.
    void SetCaption(const std::string &value);
    TTextGaugeKind Kind() const { return FKind; }
    void SetKind(TTextGaugeKind value);
    bool ShowText() const { return FShowText; }
    void SetShowText(bool value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    QColor ForeColor() const { return FForeColor; }
    void SetForeColor(const QColor &value);
    QColor BackColor() const { return FBackColor; }
    void SetBackColor(const QColor &value);
    /// The control's own colour (around pies and needles): the system's window colour by default.
    QColor Color() const { return FColor; }
    void SetColor(const QColor &value);

    const TOnValue &OnSetMax() const { return FOnSetMax; }
    void SetOnSetMax(TOnValue handler) { FOnSetMax = std::move(handler); }
    const TOnValue &OnSetValue() const { return FOnSetValue; }
    void SetOnSetValue(TOnValue handler) { FOnSetValue = std::move(handler); }

    /// PercentOf(Progress - MinValue, MaxValue - MinValue), the differences in 32-bit arithmetic
    /// (a range wider than 2147483647 wraps).
    int CurrentPercent() const;
    /// 0 when `whole` is 0; else part * 100 / whole, truncated toward zero.
    static int PercentOf(int part, int whole);
    /// size * (percent * 0.01) truncated, in 80-bit extended arithmetic as the original control
    /// computed it: for size 100 some percents (5, 10, 15, ...) come out one less than themselves.
    static int ShareOf(int percent, int size);

    /// The picture a paint puts on the control (width x height).
    QImage PaintImage() const;

    std::string ClassName() const override { return "TTextGauge"; }

protected:
    void paintEvent(QPaintEvent *event) override;
    /// Draws the caption (or "<percent>%") white on a black image, centred and word-wrapped in
    /// `rect` (left, top, right, bottom), and exclusive-ors it onto `image`.
    virtual void PaintText(QImage &image, int left, int top, int right, int bottom) const;

private:
    void RepaintNow();
    bool EventsAllowed() const { return !Designing(); }

    int FMinValue = 0;
    int FMaxValue = 100;
    std::string FCaption;
    int FProgress = 0;
    TTextGaugeKind FKind = gkHorizontalBar;
    bool FShowText = true;
    TBorderStyle FBorderStyle = bsSingle;
    QColor FForeColor = Qt::black;
    QColor FBackColor = Qt::white;
    QColor FColor;
    TOnValue FOnSetMax;
    TOnValue FOnSetValue;
};
