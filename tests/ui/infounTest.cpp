// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QTest>

#include "ui/infoun.h"

class TInfoformTest : public ::testing::Test
{
protected:
    void TearDown() override { FreeInfoform(); }
};

TEST_F(TInfoformTest, SingletonIsCreatedOnceAndFreedSafely)
{
    FreeInfoform(); // none yet: nothing happens
    TInfoform *a = GetInfoform();
    EXPECT_EQ(GetInfoform(), a);
    EXPECT_FALSE(a->isVisible());
    EXPECT_EQ(a->om->Progress(), 0);
    EXPECT_TRUE(a->xinfo->text().isEmpty());
    EXPECT_EQ(a->Caption(), "Information");
    EXPECT_TRUE(a->windowFlags() & Qt::WindowStaysOnTopHint);
    FreeInfoform();
    EXPECT_EQ(Infoform(), nullptr);
    FreeInfoform();
}

TEST_F(TInfoformTest, LayoutFollowsTheText)
{
    TInfoform *f = GetInfoform();
    f->ShowInfo("Checking Drive C:. Please stay patient..");
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(f->om->isHidden());
    EXPECT_TRUE(f->xinfo->isHidden());
    EXPECT_TRUE(f->stopbt->isHidden());
    EXPECT_EQ(f->inftext->geometry(), QRect(4, 4, 295, 93));
    EXPECT_EQ(f->Height(), 113);

    std::string longText;
    for (int i = 0; i < 40; ++i)
        longText += "Checking Drive /mnt/volume" + std::to_string(i) + ", ";
    f->ShowInfo(longText);
    QFontMetrics fm(f->inftext->font());
    int h = fm.boundingRect(QRect(0, 0, 295, 0), Qt::TextWordWrap | Qt::TextExpandTabs, QString::fromStdString(longText)).height();
    ASSERT_GT(h, 93);
    EXPECT_EQ(f->inftext->height(), h + 20);
    EXPECT_EQ(f->Height(), 4 + h + 20 + 20);

    f->ShowInfo("short"); // the label never shrinks
    EXPECT_EQ(f->inftext->height(), h + 20);
    EXPECT_EQ(f->Height(), h + 20 + 20);

    f->SetPicture(QPixmap(32, 32)); // the text moves right of a picture
    f->ShowInfo("short");
    EXPECT_EQ(f->inftext->x(), 4 + 32 + 10);
}

TEST_F(TInfoformTest, StopButtonOnlyWhileAHandlerIsAssigned)
{
    TInfoform *f = GetInfoform();
    int stops = 0;
    f->SetOnStop([&](TObject *sender) {
        EXPECT_EQ(sender, f);
        ++stops;
    });
    f->ShowInfo("Busy");
    ASSERT_FALSE(f->stopbt->isHidden());
    EXPECT_EQ(f->stopbt->text(), "Abbruch");
    // The button must be reachable inside the window.
    EXPECT_GE(f->height(), f->stopbt->geometry().bottom());
    QTest::mouseClick(f->stopbt, Qt::LeftButton);
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(f->OnStop());
    EXPECT_FALSE(f->isVisible());
    f->ShowInfo("Again");
    EXPECT_TRUE(f->stopbt->isHidden());
}
