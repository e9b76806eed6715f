// SPDX-License-Identifier: GPL-3.0-or-later
// RtfWriter: writes a prepared report page as a Rich Text Format document that word processors
// open: one page of the page's paper and orientation, the texts as paragraphs, pictures embedded.
#pragma once

#include <QByteArray>
#include <QString>

struct TPreparedPage;

/// `text` escaped for an RTF body: backslash and braces are escaped, tabs and line breaks become
/// \tab and \line, other control characters are dropped, and every character outside ASCII is
/// written as \uN? (N the signed 16-bit code unit; characters beyond the basic plane as their two
/// surrogates), so any text comes out unchanged whatever the reader's code page.
QByteArray RtfEscape(const QString &text);

/// The document: paper size, orientation and margins of `page` in the document and section
/// settings; the items from top to bottom, texts as paragraphs with their font, size, style,
/// colour and alignment; each picture in its frame's aspect-fitted size, as the EMF itself with a
/// PNG rendering of it for readers without EMF support.
QByteArray RtfDocument(const TPreparedPage &page);
