// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "ui/listauswahlun.h"

namespace {

// Runs SelectFromList while a timer plays the user: ticks the rows in `tick`, then presses the
// button called `button` ("Ok", "Abbrechen", "Hilfe" then "Ok", or "close" for the close box).
std::string Choose(const std::string &lines, const std::vector<int> &tick, const std::string &button,
                   const std::string &separator = "\r\n", QStringList *shown = nullptr)
{
    QTimer::singleShot(0, [&] {
        TListauswahldlg *dlg = nullptr;
        for (auto *w : QApplication::topLevelWidgets())
            if (auto *d = dynamic_cast<TListauswahldlg *>(w); d && d->isVisible())
                dlg = d;
        ASSERT_NE(dlg, nullptr);
        if (shown)
            for (int i = 0; i < dlg->CheckListBox1->count(); ++i)
                shown->append(dlg->CheckListBox1->item(i)->text());
        for (int i : tick)
            dlg->CheckListBox1->item(i)->setCheckState(Qt::Checked);
        if (button == "close")
            dlg->close();
        else if (button == "Abbrechen")
            QTest::mouseClick(dlg->ToolbarButton971, Qt::LeftButton);
        else {
            if (button == "Hilfe") {
                QTest::mouseClick(dlg->ToolbarButton973, Qt::LeftButton);
                EXPECT_TRUE(dlg->isVisible()); // help does nothing
            }
            QTest::mouseClick(dlg->ToolbarButton972, Qt::LeftButton);
        }
    });
    return TListauswahldlg::SelectFromList(nullptr, lines, separator);
}

} // namespace

TEST(TListauswahldlg, ReturnsTheTickedLinesOnlyOnOk)
{
    struct TCase {
        std::string Lines;
        std::vector<int> Tick;
        std::string Button, Separator, Expected;
    };
    const TCase cases[] = {
        {"C:\r\nD:\r\nE:\r\n", {1, 2}, "Ok", "\r\n", "D:\r\nE:"},
        {"C:\r\nD:\r\nE:\r\n", {}, "Ok", "\r\n", ""},
        {"C:\r\nD:\r\nE:\r\n", {0, 1}, "Abbrechen", "\r\n", ""},
        {"C:\r\nD:\r\nE:\r\n", {0, 1}, "close", "\r\n", ""},
        {"C:\r\nD:\r\nE:\r\n", {0, 2}, "Ok", "", "C:E:"},
        {"C:\r\nD:\r\nE:\r\n", {0}, "Hilfe", "\r\n", "C:"},
        {"", {}, "Ok", "\r\n", ""},
        {"/\n/home with blank\n", {0, 1}, "Ok", ";", "/;/home with blank"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Choose(c.Lines, c.Tick, c.Button, c.Separator), c.Expected) << c.Button << " " << c.Lines;
}

TEST(TListauswahldlg, OffersOneUntickedItemPerLine)
{
    QStringList shown;
    Choose("C:\r\nD:\r\n", {}, "Ok", "\r\n", &shown);
    EXPECT_EQ(shown, QStringList({"C:", "D:"})); // a trailing break adds no empty item
    TListauswahldlg dlg(nullptr);
    EXPECT_EQ(dlg.Caption(), "Auswahl");
    EXPECT_EQ(dlg.ToolbarButton972->text(), "Ok");
    EXPECT_EQ(dlg.ToolbarButton971->text(), "Abbrechen");
    EXPECT_EQ(dlg.ToolbarButton973->text(), "Hilfe");
    EXPECT_LT(dlg.ToolbarButton972->y(), dlg.ToolbarButton971->y());
    EXPECT_LT(dlg.ToolbarButton971->y(), dlg.ToolbarButton973->y());
}
