// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QLocale>
#include <QTest>

#include "scan/filefunction.h"
#include "ui/Chartformun.h"

TEST(TChartform, LegendShowsReadableSizeThenTheWholePath)
{
    struct TCase {
        double Bytes;
        std::string Label;
    };
    const TCase cases[] = {
        {1234567, "C:\\data\\big file.iso"},
        {0, "/empty"},
        {1023, "/a b/c  d e"},      // every blank of the path stays
        {3221225472.0, "/vm/disk.img"}, // 3 GiB: all 64 bits count
    };
    for (QLocale locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale); // the thousands separator of the default text
        TChartform form;
        for (const auto &c : cases)
            form.Series1->Add(c.Bytes, c.Label);
        for (int i = 0; i < form.Series1->Count(); ++i)
            EXPECT_EQ(form.Chart1->LegendText(i), FormatFileSize(static_cast<std::int64_t>(cases[i].Bytes)) + " " + cases[i].Label);
    }
    QLocale::setDefault(QLocale::c());
}

TEST(TChartform, LegendFollowsTheDateTimeFlagWhenDrawn)
{
    TChartform form;
    const double midnight = DaysFromDateTime(QDateTime(QDate(2024, 2, 29), QTime(0, 0)));
    const double afternoon = DaysFromDateTime(QDateTime(QDate(1975, 6, 1), QTime(14, 5, 9)));
    form.Series1->Add(midnight, "/x/leap");
    form.Series1->Add(afternoon, "/x/old one");
    std::string asSize = form.Chart1->LegendText(0);
    form.Series1->SetDateTime(true);
    QLocale locale;
    EXPECT_EQ(form.Chart1->LegendText(0), locale.toString(QDate(2024, 2, 29), QLocale::ShortFormat).toStdString() + " /x/leap");
    std::string old = form.Chart1->LegendText(1);
    EXPECT_EQ(old.rfind(locale.toString(QDate(1975, 6, 1), QLocale::ShortFormat).toStdString() + " ", 0), 0u) << old;
    EXPECT_NE(old.find(locale.toString(QTime(14, 5, 9), QStringLiteral("mm:ss")).toStdString()), std::string::npos) << old;
    EXPECT_EQ(old.substr(old.size() - 11), " /x/old one");
    form.Series1->SetDateTime(false);
    EXPECT_EQ(form.Chart1->LegendText(0), asSize);
}

TEST(TChartform, HoverAndDoubleClickReachTheFileAndItsFolder)
{
    TChartform form;
    form.resize(800, 500);
    form.show();
    form.Series1->Add(5000000, "/srv/media/film.mkv");
    form.Series1->Add(10, "/boot.ini");
    form.Series1->LeftAxis().SetMinMax(0, 5000030);
    EXPECT_EQ(form.FolderOf(0), "/srv/media");
    EXPECT_EQ(form.FolderOf(1), "/");
    EXPECT_EQ(form.HintText(0), form.Chart1->LegendText(0)); // no record source: the legend line
    std::vector<std::string> opened;
    form.SetOnOpenFolder([&](const std::string &folder) { opened.push_back(folder); });
    QTest::mouseDClick(form.Chart1, Qt::LeftButton, {}, form.Chart1->BarRect(0).center());
    QTest::mouseDClick(form.Chart1, Qt::LeftButton, {}, form.Chart1->LegendItemRect(1).center());
    EXPECT_EQ(opened, (std::vector<std::string>{"/srv/media", "/"}));
}
