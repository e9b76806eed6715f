// SPDX-License-Identifier: GPL-3.0-or-later
#include "RtfWriter.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

#include "toolkit/ReportEngine.h"

namespace {

int Twips(qreal mm)
{
    return static_cast<int>(std::lround(mm * 1440 / 25.4));
}

QByteArray Number(qint64 n)
{
    return QByteArray::number(n);
}

/// Binary data as hexadecimal lines of 128 digits.
QByteArray Hex(const QByteArray &data)
{
    QByteArray out;
    const QByteArray hex = data.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128)
        out += hex.mid(i, 128) + '\n';
    return out;
}

} // namespace

QByteArray RtfEscape(const QString &text)
{
    QByteArray out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u == '\n') {
            out += "\\line ";
        } else if (u < 0x20) {
            continue;
        } else if (u < 0x80) {
            out += static_cast<char>(u);
        } else {
            out += "\\u" + Number(static_cast<std::int16_t>(u)) + '?';
        }
    }
    return out;
}

QByteArray RtfDocument(const TPreparedPage &page)
{
    const QSizeF paper = page.PaperSize();
    std::vector<const TPreparedItem *> items;
    for (const TPreparedItem &item : page.Items)
        items.push_back(&item);
    std::stable_sort(items.begin(), items.end(),
                     [](const TPreparedItem *a, const TPreparedItem *b) { return a->Bounds.top() < b->Bounds.top(); });

    QStringList fonts;
    QList<QColor> colors;
    for (const TPreparedItem *item : items) {
        if (item->IsPicture)
            continue;
        if (!fonts.contains(item->Font.family()))
            fonts << item->Font.family();
        if (!colors.contains(item->Color))
            colors << item->Color;
    }
    if (fonts.isEmpty())
        fonts << QStringLiteral("Arial");

    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    for (int i = 0; i < fonts.size(); ++i)
        rtf += "{\\f" + Number(i) + "\\fswiss\\fcharset0 " + RtfEscape(fonts[i]) + ";}";
    rtf += "}\n{\\colortbl;";
    for (const QColor &c : colors)
        rtf += "\\red" + Number(c.red()) + "\\green" + Number(c.green()) + "\\blue" + Number(c.blue()) + ';';
    rtf += "}\n{\\info{\\title " + RtfEscape(items.empty() || items.front()->IsPicture ? QString() : items.front()->Text)
        + "}{\\doccomm Vorlant}}\n";
    const QByteArray margins = "\\margl" + Number(Twips(page.Margins.left())) + "\\margr"
        + Number(Twips(page.Margins.right())) + "\\margt" + Number(Twips(page.Margins.top())) + "\\margb"
        + Number(Twips(page.Margins.bottom()));
    const bool landscape = page.Orientation == QPageLayout::Landscape;
    rtf += "\\paperw" + Number(Twips(paper.width())) + "\\paperh" + Number(Twips(paper.height())) + margins
        + (landscape ? "\\landscape" : "") + '\n';
    rtf += "\\sectd\\pgwsxn" + Number(Twips(paper.width())) + "\\pghsxn" + Number(Twips(paper.height()))
        + "\\marglsxn" + Number(Twips(page.Margins.left())) + "\\margrsxn" + Number(Twips(page.Margins.right()))
        + "\\margtsxn" + Number(Twips(page.Margins.top())) + "\\margbsxn" + Number(Twips(page.Margins.bottom()));
    if (landscape)
        rtf += "\\lndscpsxn";
    rtf += '\n';

    qreal bottom = 0; // of the previous item, in millimetres
    for (const TPreparedItem *item : items) {
        // The gap to the previous item becomes space before the paragraph (overlaps give none).
        const qreal gap = std::max<qreal>(0, (item->IsPicture ? item->PictureRect().top() : item->Bounds.top()) - bottom);
        rtf += "\\pard\\plain\\sb" + Number(Twips(gap)) + "\\sa0";
        if (item->IsPicture) {
            const QRectF fitted = item->PictureRect();
            bottom = fitted.bottom();
            const QSize px = item->PixelSize();
            if (px.isEmpty()) {
                rtf += "\\par\n";
                continue;
            }
            const QByteArray goal = "\\picwgoal" + Number(Twips(fitted.width())) + "\\pichgoal"
                + Number(Twips(fitted.height()));
            // The PNG: the picture drawn at about 200 dots per inch of its printed size.
            const QSize pngSize = QSizeF(fitted.width() / 25.4 * 200, fitted.height() / 25.4 * 200).toSize();
            QImage png(pngSize.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
            png.fill(Qt::white);
            {
                QPainter p(&png);
                p.setRenderHint(QPainter::Antialiasing);
                item->DrawPicture(p, QRectF(png.rect()));
            }
            QByteArray pngData;
            QBuffer buffer(&pngData);
            buffer.open(QIODevice::WriteOnly);
            png.save(&buffer, "PNG");
            rtf += "\\qc\\fs2 "; // a tiny font: the line is as high as the picture, no more
            if (!item->Emf.IsEmpty()) {
                // picw/pich of a metafile are its size in 0.01 mm
                rtf += "{\\*\\shppict{\\pict\\emfblip\\picw" + Number(std::lround(px.width() * 2540.0 / 96)) + "\\pich"
                    + Number(std::lround(px.height() * 2540.0 / 96)) + goal + '\n' + Hex(item->Emf.Data()) + "}}";
                rtf += "{\\nonshppict{\\pict\\pngblip\\picw" + Number(png.width()) + "\\pich" + Number(png.height()) + goal
                    + '\n' + Hex(pngData) + "}}";
            } else {
                rtf += "{\\pict\\pngblip\\picw" + Number(png.width()) + "\\pich" + Number(png.height()) + goal + '\n'
                    + Hex(pngData) + '}';
            }
            rtf += "\\par\n";
            continue;
        }
        bottom = item->Bounds.top() + item->Font.pointSizeF() * 25.4 / 72 * 1.2;
        const Qt::Alignment h = item->Alignment & Qt::AlignHorizontal_Mask;
        rtf += h & Qt::AlignHCenter ? "\\qc" : h & Qt::AlignRight ? "\\qr" : h & Qt::AlignJustify ? "\\qj" : "\\ql";
        rtf += "\\f" + Number(fonts.indexOf(item->Font.family())) + "\\fs"
            + Number(std::lround(std::max<qreal>(1, item->Font.pointSizeF()) * 2));
        if (item->Font.bold())
            rtf += "\\b";
        if (item->Font.italic())
            rtf += "\\i";
        if (item->Font.underline())
            rtf += "\\ul";
        rtf += "\\cf" + Number(colors.indexOf(item->Color) + 1) + ' ' + RtfEscape(item->Text) + "\\par\n";
    }
    rtf += "}\n";
    return rtf;
}
