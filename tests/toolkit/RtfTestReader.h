// SPDX-License-Identifier: GPL-3.0-or-later
// A small RTF reader for tests: checks the group structure, decodes the body text and counts the
// pictures a word processor would show.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

struct TRtfContent {
    bool Balanced = false; ///< every group closed, nothing after the outer group
    QString Text; ///< body text; \par and \line as "\n"
    int Pictures = 0; ///< pictures shown (alternatives in \nonshppict not counted)
    QStringList Blips; ///< picture kinds in order, e.g. "emfblip"
    QStringList Words; ///< every control word, in order (without the backslash)
    QByteArray FirstPictureData; ///< the shown first picture, decoded from hex
};

inline TRtfContent ReadRtf(const QByteArray &rtf)
{
    TRtfContent out;
    struct Group {
        bool skip = false;
        bool picture = false;
    };
    std::vector<Group> stack;
    int ucSkip = 0;
    bool firstPicture = true;
    QByteArray hex;
    qsizetype i = 0;
    bool done = false;
    auto skipping = [&] { return !stack.empty() && stack.back().skip; };
    while (i < rtf.size()) {
        const char c = rtf[i];
        if (done) {
            if (!QChar::fromLatin1(c).isSpace())
                return out; // text after the document
            ++i;
            continue;
        }
        if (c == '{') {
            stack.push_back(stack.empty() ? Group{} : stack.back());
            ++i;
            continue;
        }
        if (c == '}') {
            if (stack.empty())
                return out;
            if (stack.back().picture && firstPicture && !hex.isEmpty()) {
                out.FirstPictureData = QByteArray::fromHex(hex);
                firstPicture = false;
            }
            const bool wasPicture = stack.back().picture;
            stack.pop_back();
            if (wasPicture && !stack.empty())
                stack.back().picture = false;
            if (stack.empty())
                done = true;
            ++i;
            continue;
        }
        if (c == '\\') {
            ++i;
            if (i >= rtf.size())
                return out;
            const char n = rtf[i];
            if (n == '\\' || n == '{' || n == '}') {
                if (!skipping()) {
                    if (ucSkip > 0)
                        --ucSkip;
                    else
                        out.Text += QLatin1Char(n);
                }
                ++i;
                continue;
            }
            if (n == '\'') {
                const QByteArray hh = rtf.mid(i + 1, 2);
                i += 3;
                if (!skipping()) {
                    if (ucSkip > 0)
                        --ucSkip;
                    else
                        out.Text += QString::fromLatin1(QByteArray::fromHex(hh));
                }
                continue;
            }
            if (n == '*') {
                ++i;
                if (!stack.empty())
                    stack.back().skip = true;
                continue;
            }
            qsizetype start = i;
            while (i < rtf.size() && QChar::fromLatin1(rtf[i]).isLetter())
                ++i;
            const QString word = QString::fromLatin1(rtf.mid(start, i - start));
            start = i;
            if (i < rtf.size() && (rtf[i] == '-' || QChar::fromLatin1(rtf[i]).isDigit())) {
                ++i;
                while (i < rtf.size() && QChar::fromLatin1(rtf[i]).isDigit())
                    ++i;
            }
            const int param = rtf.mid(start, i - start).toInt();
            if (i < rtf.size() && rtf[i] == ' ')
                ++i;
            if (word.isEmpty()) {
                ++i; // a control symbol we do not know
                continue;
            }
            out.Words << word;
            if (stack.empty())
                continue;
            if (word == QLatin1String("shppict"))
                stack.back().skip = false; // the picture a reader that knows it shows
            if (word == QLatin1String("fonttbl") || word == QLatin1String("colortbl") || word == QLatin1String("info")
                || word == QLatin1String("nonshppict"))
                stack.back().skip = true;
            if (word == QLatin1String("pict")) {
                const bool shown = !stack.back().skip;
                stack.back().skip = true;
                if (shown) {
                    ++out.Pictures;
                    stack.back().picture = true;
                    hex.clear();
                }
            }
            if (word.endsWith(QLatin1String("blip")) && stack.back().picture)
                out.Blips << word;
            if (skipping())
                continue;
            if (word == QLatin1String("par") || word == QLatin1String("line"))
                out.Text += QLatin1Char('\n');
            else if (word == QLatin1String("tab"))
                out.Text += QLatin1Char('\t');
            else if (word == QLatin1String("u")) {
                out.Text += QChar(static_cast<char16_t>(param < 0 ? param + 65536 : param));
                ucSkip = 1;
            }
            continue;
        }
        if (!stack.empty() && stack.back().picture) {
            if (QChar::fromLatin1(c).isLetterOrNumber())
                hex += c;
        } else if (c != '\n' && c != '\r' && !skipping()) {
            if (ucSkip > 0)
                --ucSkip;
            else
                out.Text += QLatin1Char(c);
        }
        ++i;
    }
    out.Balanced = done && stack.empty();
    return out;
}
