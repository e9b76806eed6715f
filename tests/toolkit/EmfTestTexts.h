// SPDX-License-Identifier: GPL-3.0-or-later
// For tests: the texts an EMF picture writes, one string per text record.
#pragma once

#include <QString>
#include <QStringList>

#include "toolkit/EmfFormat.h"
#include "toolkit/EmfPicture.h"

inline QStringList EmfTexts(const TEmfPicture &pic)
{
    QStringList texts;
    for (const auto &r : pic.Records()) {
        if (r.Type != Emf::EMR_EXTTEXTOUTW)
            continue;
        const std::uint32_t n = pic.U32(r.Offset + 44), off = pic.U32(r.Offset + 48);
        QString t;
        for (std::uint32_t i = 0; i < n && off + 2 * i + 2 <= r.Size; ++i)
            t += QChar(static_cast<char16_t>(pic.U32(r.Offset + off + 2 * i) & 0xFFFF));
        texts << t;
    }
    return texts;
}
