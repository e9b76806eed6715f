// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextGauge2.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>
#include <cstdio>
#include <numbers>

#include "toolkit/QtApplication.h"

namespace {

std::string RangeMessage(long long lo, long long hi)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "Wert muß zwischen %lld und %lld liegen", lo, hi);
    return buf;
}

// Fills left..right-1, top..bottom-1 (right and bottom edges excluded); the image clips the rest.
void Fill(QPainter &p, int left, int top, int right, int bottom, const QColor &colour)
{
    if (right > left && bottom > top)
        p.fillRect(QRect(left, top, right - left, bottom - top), colour);
}

// An off-screen image of `size`, all black (the system colour of window frames).
QImage BlackImage(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(Qt::black));
    return image;
}

// dest := dest xor source, pixel by pixel.
void XorOnto(QImage &dest, const QImage &source)
{
    const int h = std::min(dest.height(), source.height());
    const int w = std::min(dest.width(), source.width());
    for (int y = 0; y < h; ++y) {
        auto *d = reinterpret_cast<quint32 *>(dest.scanLine(y));
        auto *s = reinterpret_cast<const quint32 *>(source.constScanLine(y));
        for (int x = 0; x < w; ++x)
            d[x] = ((d[x] ^ s[x]) & 0x00ffffffu) | 0xff000000u;
    }
}

int Round(double v)
{
    return static_cast<int>(std::nearbyint(v)); // ties to even under the default rounding mode
}

// The angle (degrees, counter-clockwise from three o'clock) of `pt` on the ellipse in `box`.
double AngleOn(const QRectF &box, QPointF pt)
{
    QPointF c = box.center();
    double rx = box.width() / 2, ry = box.height() / 2;
    if (rx <= 0 || ry <= 0)
        return 0;
    return std::atan2(-(pt.y() - c.y()) / ry, (pt.x() - c.x()) / rx) * 180 / std::numbers::pi;
}

// A pie in the box left, top, right, bottom (right and bottom excluded), counter-clockwise from
// the radial through `start` to the radial through `end`; equal radials give the whole ellipse.
void Pie(QPainter &p, int left, int top, int right, int bottom, QPointF start, QPointF end)
{
    QRectF box(left, top, right - left - 1, bottom - top - 1);
    double a = AngleOn(box, start);
    double span = std::fmod(AngleOn(box, end) - a + 720.0, 360.0);
    if (span < 1e-9)
        span = 360;
    p.drawPie(box, Round(a * 16), Round(span * 16));
}

} // namespace

TTextGauge::TTextGauge(QWidget *parent, TComponent *owner)
    : QWidget(parent)
    , TComponent(owner)
    , FColor(palette().color(QPalette::Base))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
}

void TTextGauge::RepaintNow()
{
    repaint();
}

int TTextGauge::PercentOf(int part, int whole)
{
    if (whole == 0)
        return 0;
    return static_cast<int>(static_cast<long double>(part) * 100.0L / static_cast<long double>(whole));
}

int TTextGauge::ShareOf(int percent, int size)
{
    // Two roundings in the 64-bit mantissa, as the original: 0.01L lies just below 0.01.
    volatile long double share = static_cast<long double>(percent) * 0.01L;
    volatile long double product = static_cast<long double>(size) * share;
    return static_cast<int>(product);
}

int TTextGauge::CurrentPercent() const
{
    auto diff = [](int a, int b) { return static_cast<int>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b)); };
    return PercentOf(diff(FProgress, FMinValue), diff(FMaxValue, FMinValue));
}

void TTextGauge::SetMinValue(int value)
{
    if (value == FMinValue)
        return;
    if (value > FMaxValue)
        throw EInvalidOperation(RangeMessage(-2147483647LL, static_cast<long long>(FMaxValue) - 1));
    FMinValue = value;
    if (FProgress < value)
        FProgress = value;
    RepaintNow();
}

void TTextGauge::SetMaxValue(int value)
{
    if (value == FMaxValue)
        return;
    if (value < FMinValue)
        throw EInvalidOperation(RangeMessage(static_cast<long long>(FMinValue) + 1, 2147483647LL));
    FMaxValue = value;
    if (FProgress > value)
        FProgress = value;
    if (EventsAllowed() && FOnSetMax)
        FOnSetMax(this, FMaxValue);
    RepaintNow();
}

void TTextGauge::SetProgress(int value)
{
    const int before = CurrentPercent();
    value = std::clamp(value, FMinValue, FMaxValue);
    if (value == FProgress)
        return;
    FProgress = value;
    if (CurrentPercent() == before)
        return;
    if (EventsAllowed() && FOnSetValue)
        FOnSetValue(this, FProgress);
    RepaintNow();
}

void TTextGauge::SetCaption(const std::string &value)
{
    if (value == FCaption)
        return;
    FCaption = value;
    update();
}

#define VORLANT_GAUGE_SETTER(Name, Type)                                                                              \
    void TTextGauge::Set##Name(Type value)                                                                            \
    {                                                                                                                 \
        if (value == F##Name)                                                                                         \
            return;                                                                                                   \
        F##Name = value;                                                                                              \
        RepaintNow();                                                                                                 \
    }
VORLANT_GAUGE_SETTER(Kind, TTextGaugeKind)
VORLANT_GAUGE_SETTER(ShowText, bool)
VORLANT_GAUGE_SETTER(BorderStyle, TBorderStyle)
VORLANT_GAUGE_SETTER(ForeColor, const QColor &)
VORLANT_GAUGE_SETTER(BackColor, const QColor &)
VORLANT_GAUGE_SETTER(Color, const QColor &)
#undef VORLANT_GAUGE_SETTER

QImage TTextGauge::PaintImage() const
{
    QImage image = BlackImage(QSize(std::max(width(), 1), std::max(height(), 1)));
    int L = 0, T = 0, R = width(), B = height();
    if (FBorderStyle == bsSingle) {
        ++L;
        ++T;
        --R;
        --B;
    }
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        const int single = FBorderStyle == bsSingle ? 1 : 0;
        switch (FKind) {
        case gkText:
            Fill(p, L, T, R, B, FBackColor);
            break;
        case gkHorizontalBar:
        case gkVerticalBar: {
            const int W = R - L + 1, H = B - T + 1;
            Fill(p, L, T, R, B, FBackColor);
            if (FKind == gkHorizontalBar) {
                int F = std::min(ShareOf(CurrentPercent(), W), W);
                if (F > 0)
                    Fill(p, L, T, F, H, FForeColor); // right and bottom are F and H themselves
            } else {
                int F = ShareOf(CurrentPercent(), H);
                if (F >= H)
                    F = H - 1;
                Fill(p, L, H - F, W, H, FForeColor);
            }
            break;
        }
        case gkPie: {
            const int W = R - L + single, H = B - T + single;
            Fill(p, L, T, R, B, FColor);
            p.setPen(QPen(FForeColor, 1));
            p.setBrush(FBackColor);
            p.drawEllipse(QRectF(L, T, W - L - 1, H - T - 1));
            if (CurrentPercent() > 0) {
                p.setBrush(FForeColor);
                const int MX = W / 2, MY = H / 2;
                const double A = (CurrentPercent() / 50.0 + 0.5) * std::numbers::pi;
                Pie(p, L, T, W, H, QPointF(Round(MX * (1 - std::cos(A))), Round(MY * (1 - std::sin(A)))), QPointF(MX, 0));
            }
            break;
        }
        case gkNeedle: {
            const int X = L, W = R - L + single, H = B - T + single;
            Fill(p, L, T, R, B, FColor);
            p.setBrush(FBackColor);
            p.setPen(QPen(FForeColor, 1));
            Pie(p, X, T, W, 2 * H - 1, QPointF(X + W, B - 1), QPointF(X, B - 1));
            p.drawLine(X, B, X + W - 1, B);
            if (CurrentPercent() > 0) {
                const int MX = width() / 2;
                const double A = CurrentPercent() / 100.0 * std::numbers::pi;
                p.drawLine(MX, B - 1, Round(MX * (1 - std::cos(A))), Round((B - 1) * (1 - std::sin(A))));
            }
            break;
        }
        }
    }
    if (FShowText)
        PaintText(image, L, T, R, B);
    return image;
}

void TTextGauge::PaintText(QImage &image, int left, int top, int right, int bottom) const
{
    QImage text = BlackImage(image.size());
    QString s = FCaption.empty() ? QString::number(CurrentPercent()) + QLatin1Char('%') : ToQString(FCaption);
    QFont f = font();
    f.setStyleStrategy(QFont::NoAntialias); // exact inversion: text pixels are all or nothing
    QFontMetrics fm(f);
    top = top + (bottom - top) / 2 - fm.height() / 2;
    {
        QPainter p(&text);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRect(left, top, right - left, bottom - top), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, s);
    }
    XorOnto(image, text);
}

void TTextGauge::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, PaintImage());
}
