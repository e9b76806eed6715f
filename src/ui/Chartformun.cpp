// SPDX-License-Identifier: GPL-3.0-or-later
#include "Chartformun.h"

#include <QDesktopServices>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QUrl>
#include <QVBoxLayout>

#include "scan/Fllist.h"
#include "scan/filefunction.h"
#include "toolkit/QtApplication.h"

std::string FormatDateTimeC(double dateTime)
{
    QLocale locale;
    QDateTime dt = DateTimeFromDays(dateTime);
    std::string text = FromQString(locale.toString(dt.date(), QLocale::ShortFormat));
    if (dt.time() != QTime(0, 0)) {
        // The long time format without the zone: our values are local wall-clock times.
        QString format = locale.timeFormat(QLocale::LongFormat);
        format.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b")));
        text += " " + FromQString(locale.toString(dt.time(), format.trimmed()));
    }
    return text;
}

TChartform::TChartform()
{
    SetName("Chartform");
    setObjectName(QStringLiteral("Chartform"));
    Chart1 = new TChart(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->SetTitle("TChart");
    Chart1->SetView3D(true);
    Chart1->SetDateTimeFormat(QStringLiteral("dd.MM.yyyy"));
    Series1 = &Chart1->Series();
    // The worker sets the range; until then the design range stands.
    Series1->LeftAxis().SetMaximum(238);
    Series1->LeftAxis().SetAutomatic(false);
    Chart1->SetOnGetLegendText([this](TChart *sender, int index, std::string &text) {
        Chart1GetLegendText(sender, 0, index, text);
    });
    Chart1->SetOnGetHint([this](int index) { return HintText(index); });
    Chart1->SetOnDblClickItem([this](int index) {
        std::string folder = FolderOf(index);
        if (FOnOpenFolder)
            FOnOpenFolder(folder);
        else
            QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(folder))));
    });
    SetOnCreate([this](TObject *sender) { FormCreate(sender); });
    FinishCreate();
}

TChartform::~TChartform() = default;

void TChartform::FormCreate(TObject *)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Chart1);
}

void TChartform::Chart1GetLegendText(TChart *, int, int index, std::string &legendText)
{
    size_t blank = legendText.find(' ');
    std::string head = legendText.substr(0, blank);
    std::string tail = blank == std::string::npos ? std::string() : legendText.substr(blank + 1);
    if (Series1->DateTime()) {
        head = FormatDateTimeC(Series1->Point(index).Y);
    } else {
        // The size comes back from the digits of the formatted value, whatever the locale's
        // thousands separator. All 64 bits count: files of 2 GiB and more show their true size.
        std::uint64_t n = 0;
        for (char c : head)
            if (c >= '0' && c <= '9')
                n = n > (UINT64_MAX - 9) / 10 ? UINT64_MAX : n * 10 + static_cast<unsigned>(c - '0');
        head = FormatFileSize(static_cast<std::int64_t>(std::min<std::uint64_t>(n, INT64_MAX)));
    }
    legendText = head + " " + tail;
}

std::string TChartform::HintText(int index) const
{
    if (index < 0 || index >= Series1->Count())
        return {};
    const TFileObject *record = FRecordOf ? FRecordOf(index) : nullptr;
    const std::string &path = Series1->Point(index).Label;
    if (!record)
        return Chart1->LegendText(index);
    QLocale locale;
    return "Size: " + FormatFileSize(record->Size()) + " (" + FromQString(locale.toString(static_cast<qlonglong>(record->Size())))
        + " bytes)\nChanged: " + FormatDateTimeC(record->DateTime()) + "\n" + path;
}

std::string TChartform::FolderOf(int index) const
{
    if (index < 0 || index >= Series1->Count())
        return {};
    std::string folder = ExtractPath(Series1->Point(index).Label);
    // ExtractPath keeps the trailing separator; drop it except for the root itself.
    if (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\') && folder[folder.size() - 2] != ':')
        folder.pop_back();
    return folder;
}

void TChartform::SetScanStatus(const std::string &text)
{
    Chart1->SetStatusText(ToQString(text));
}
