// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

#include "QtWait.h"
#include "scan/diskthreadun.h"
#include "scan/filefunction.h"
#include "ui/Chartformun.h"
#include "ui/infoun.h"
#include "ui/listauswahlun.h"
#include "ui/mainun.h"

namespace {

// Plays the user in the next selection dialog: records what it offers and how many tabs exist
// while it is open, ticks the lines in `tick` and presses "Ok" (or "Abbrechen" when `ok` is false).
struct TPlayer {
    QStringList Offered;
    int TabsWhileOpen = -1;
    bool Played = false;

    void Next(TVorlantMainform &form, QStringList tick, bool ok = true)
    {
        Played = false;
        auto *poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, &form, tick, ok] {
            for (auto *w : QApplication::topLevelWidgets()) {
                auto *dlg = dynamic_cast<TListauswahldlg *>(w);
                if (!dlg || !dlg->isVisible())
                    continue;
                poll->stop();
                Offered.clear();
                for (int i = 0; i < dlg->CheckListBox1->count(); ++i) {
                    auto *item = dlg->CheckListBox1->item(i);
                    Offered << item->text();
                    if (tick.contains(item->text()))
                        item->setCheckState(Qt::Checked);
                }
                TabsWhileOpen = form.Page95Control1->count();
                Played = true;
                QTest::mouseClick(ok ? dlg->ToolbarButton972 : dlg->ToolbarButton971, Qt::LeftButton);
                poll->deleteLater();
                return;
            }
        });
        poll->start(10);
    }
};

void WriteFile(const QString &path, qint64 size, const QDateTime &changed)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(size, 'x'));
    f.flush(); // a later flush would stamp the file anew
    ASSERT_TRUE(f.setFileTime(changed, QFileDevice::FileModificationTime));
}

QString Label(const QString &path)
{
    return QString::fromStdString(NormalizePath(path.toStdString()));
}

class TVorlantMainformTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        Alpha = FDir.filePath("alpha");
        Beta = FDir.filePath("beta");
        Gamma = FDir.filePath("gamma");
        const QDateTime base(QDate(2020, 1, 1), QTime(12, 0));
        // alpha: the biggest file is deep, the oldest and the newest are small.
        WriteFile(Alpha + "/deep/er/big.bin", 50000, base);
        WriteFile(Alpha + "/old.txt", 10, base.addYears(-30));
        WriteFile(Alpha + "/new.txt", 20, base.addDays(300));
        for (int i = 0; i < 8; ++i)
            WriteFile(Alpha + QStringLiteral("/f%1.dat").arg(i), 100 + i, base.addDays(i));
        WriteFile(Beta + "/one file.txt", 1234567, base);
        WriteFile(Gamma + "/g/only.bin", 4096, base);
    }
    void TearDown() override { FreeInfoform(); }

    std::vector<std::string> Offered() const { return {Alpha.toStdString(), Beta.toStdString(), Gamma.toStdString()}; }

    QTemporaryDir FDir;
    QString Alpha, Beta, Gamma;
};

} // namespace

TEST(StrToInt, AcceptsOnlyDecimal32BitIntegers)
{
    EXPECT_EQ(StrToInt("20"), 20);
    EXPECT_EQ(StrToInt("-2147483648"), INT_MIN);
    EXPECT_EQ(StrToInt("+2147483647"), INT_MAX);
    for (const char *bad : {"", "abc", "2147483648", "-2147483649", "12a", " 5", "-", "99999999999999999999"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << bad;
        } catch (const EConvertError &e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' ist kein gültiger Integerwert");
        }
    }
}

TEST_F(TVorlantMainformTest, WholeFlowSelectScanRerankFilterReadNew)
{
    TVorlantMainform form(Offered());
    form.show();
    // Starting: only "Print" and "Exit" enabled.
    EXPECT_FALSE(form.brnreadNew->Enabled());
    EXPECT_TRUE(form.btnprint->Enabled());
    EXPECT_FALSE(form.dxBarEdit1->Enabled());
    EXPECT_FALSE(form.dxBarCombo1->Enabled());
    EXPECT_TRUE(form.dxBarButton2->Enabled());
    EXPECT_EQ(form.dxBarEdit1->Text(), "20");
    EXPECT_EQ(form.AllDrives(), Offered());
    EXPECT_EQ(form.Page95Control1->count(), 0);

    // The first activation opens the selection; alpha and gamma are scanned at the same time.
    TPlayer user;
    user.Next(form, {Alpha, Gamma});
    QStringList statuses;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (Infoform() && (statuses.isEmpty() || statuses.back() != Infoform()->inftext->text()))
            statuses << Infoform()->inftext->text();
    });
    watch.start(0);
    form.FormActivate();
    form.FormActivate(); // only the first activation counts
    ASSERT_TRUE(WaitUntil([&] { return user.Played && form.PickedCount() == 2 && form.DoneCount() == 2; }));
    watch.stop();
    EXPECT_EQ(user.Offered, QStringList({Alpha, Beta, Gamma}));
    EXPECT_TRUE(statuses.contains("Checking Drive " + Alpha + ", . Please stay patient.."));
    EXPECT_EQ(statuses.back(), "Checking Drive " + Alpha + ", " + Gamma + ". Please stay patient..");
    EXPECT_EQ(Infoform(), nullptr); // freed after the last completion
    for (TBarItem *item : std::initializer_list<TBarItem *>{form.brnreadNew, form.btnprint, form.dxBarEdit1, form.dxBarCombo1})
        EXPECT_TRUE(item->Enabled()) << item->Name();

    ASSERT_EQ(form.Page95Control1->count(), 2);
    EXPECT_EQ(form.TabDrive(0), Alpha.toStdString());
    EXPECT_EQ(form.Page95Control1->tabText(1), Gamma);
    TChartform *alpha = form.TabChartform(0);
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->Chart1->Title(), "Drive " + Alpha.toStdString());
    EXPECT_EQ(form.TabChartform(1)->Chart1->Title(), "Drive " + Gamma.toStdString());
    EXPECT_FALSE(form.TabBusy(0));
    EXPECT_FALSE(form.TabBusy(1));
    EXPECT_EQ(alpha->Series1->Count(), 11); // fewer files than N + 1: all of them
    EXPECT_EQ(QString::fromStdString(alpha->Series1->Point(0).Label), Label(Alpha + "/deep/er/big.bin"));
    EXPECT_EQ(alpha->Chart1->LegendText(0), "48.83 KB " + Label(Alpha + "/deep/er/big.bin").toStdString());
    EXPECT_NE(alpha->HintText(0).find("50,000 bytes"), std::string::npos) << alpha->HintText(0);
    form.Page95Control1->setCurrentIndex(1);
    EXPECT_EQ(form.ActiveDrive(), Gamma.toStdString());
    EXPECT_EQ(form.ActiveChartform(), form.TabChartform(1));

    // "Show: " re-ranks every drive without a rescan.
    struct TRank {
        int Mode;
        QString First;
        bool DateTime;
    };
    for (const TRank &r : {TRank{1, Alpha + "/old.txt", true}, TRank{2, Alpha + "/new.txt", true},
                           TRank{0, Alpha + "/deep/er/big.bin", false}}) {
        form.dxBarCombo1->Combo()->setCurrentIndex(r.Mode); // as the user picks it
        EXPECT_TRUE(form.resortTimer->isActive());
        ASSERT_TRUE(WaitUntil([&] { return !form.resortTimer->isActive(); }));
        EXPECT_EQ(QString::fromStdString(alpha->Series1->Point(0).Label), Label(r.First)) << r.Mode;
        EXPECT_EQ(alpha->Series1->DateTime(), r.DateTime);
        EXPECT_EQ(form.TabChartform(1)->Series1->DateTime(), r.DateTime);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // "Files count:" takes digits only; Enter re-ranks to N + 1 bars.
    QLineEdit *edit = form.dxBarEdit1->Editor();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "2");
    for (auto key : {Qt::Key_A, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left, Qt::Key_Minus})
        QTest::keyClick(edit, key);
    QTest::keyClick(edit, Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(edit->text(), "2");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(form.resortTimer->isActive());
    ASSERT_TRUE(WaitUntil([&] { return !form.resortTimer->isActive(); }));
    EXPECT_EQ(alpha->Series1->Count(), 3);
    EXPECT_EQ(form.TabChartform(1)->Series1->Count(), 1);

    // A count that is not a number is refused before any drive changes.
    form.dxBarEdit1->SetText("abc");
    try {
        form.resortTimerTimer();
        ADD_FAILURE();
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'abc' ist kein gültiger Integerwert");
    }
    EXPECT_EQ(alpha->Series1->Count(), 3);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // "Read new" deletes every tab before the dialog opens, even if it is then cancelled.
    form.dxBarEdit1->SetText("5");
    user.Next(form, {Alpha}, false);
    form.brnreadNew->Action()->trigger();
    EXPECT_TRUE(user.Played);
    EXPECT_EQ(user.TabsWhileOpen, 0);
    EXPECT_EQ(form.Page95Control1->count(), 0);
    EXPECT_EQ(form.PickedCount(), 0);
    EXPECT_TRUE(form.brnreadNew->Enabled());

    // A count that is not a number at scan start: nothing is started, nothing is left over.
    form.dxBarEdit1->SetText("99999999999");
    user.Next(form, {Beta});
    form.brnreadNew->Action()->trigger();
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_THROW(form.Timer1Timer(), EConvertError);
    EXPECT_EQ(form.Page95Control1->count(), 0);
    EXPECT_EQ(form.PickedCount(), 0);
    EXPECT_EQ(Infoform(), nullptr);
    EXPECT_TRUE(form.brnreadNew->Enabled());
    EXPECT_TRUE(form.dxBarEdit1->Enabled()); // so that the count can be corrected

    // A new scan always ranks by size, whatever "Show: " shows.
    form.dxBarEdit1->SetText("0");
    form.dxBarCombo1->SetItemIndex(1);
    user.Next(form, {Beta});
    form.brnreadNew->Action()->trigger();
    ASSERT_TRUE(WaitUntil([&] { return form.PickedCount() == 1 && form.DoneCount() == 1 && !Infoform(); }));
    EXPECT_EQ(form.dxBarCombo1->ItemIndex(), 1);
    ASSERT_EQ(form.TabChartform(0)->Series1->Count(), 1);
    EXPECT_FALSE(form.TabChartform(0)->Series1->DateTime());
    EXPECT_EQ(form.TabChartform(0)->Chart1->LegendText(0), "1.18 MB " + Label(Beta + "/one file.txt").toStdString());
}

TEST_F(TVorlantMainformTest, CancelledFirstSelectionLeavesAnEmptyWindow)
{
    TVorlantMainform form(Offered());
    form.show();
    TPlayer user;
    user.Next(form, {Alpha}, false);
    form.FormActivate();
    ASSERT_TRUE(WaitUntil([&] { return user.Played && form.brnreadNew->Enabled(); }));
    EXPECT_TRUE(form.btnprint->Enabled());
    EXPECT_FALSE(form.dxBarEdit1->Enabled());
    EXPECT_FALSE(form.dxBarCombo1->Enabled());
    EXPECT_EQ(form.Page95Control1->count(), 0);
    EXPECT_EQ(form.ActiveChartform(), nullptr);
    EXPECT_EQ(form.ActiveDrive(), "");
}

// A drive big enough to be still running when we act: the root file system.
TEST_F(TVorlantMainformTest, StopAndCloseWhileScanningEndEveryWorker)
{
    for (bool viaStopButton : {true, false}) {
        auto form = std::make_unique<TVorlantMainform>(std::vector<std::string>{"/", Alpha.toStdString()});
        form->show();
        TPlayer user;
        user.Next(*form, {"/", Alpha});
        form->FormActivate();
        ASSERT_TRUE(WaitUntil([&] { return form->PickedCount() == 2 && form->Worker(0) && form->Worker(1); }));
        bool wasRunning = form->Worker(0)->Running();
        if (viaStopButton) {
            ASSERT_NE(Infoform(), nullptr);
            if (wasRunning) {
                ASSERT_FALSE(Infoform()->stopbt->isHidden());
                QTest::mouseClick(Infoform()->stopbt, Qt::LeftButton);
            }
            ASSERT_TRUE(WaitUntil([&] { return form->DoneCount() == 2; }));
            EXPECT_EQ(Infoform(), nullptr);
            EXPECT_TRUE(form->brnreadNew->Enabled());
            if (wasRunning) {
                EXPECT_TRUE(form->Worker(0)->Aborted());
                EXPECT_TRUE(form->Page95Control1->tabToolTip(0).contains("stopped")) << form->Page95Control1->tabToolTip(0).toStdString();
            }
        } else {
            form->close();
            form.reset(); // stops and frees every worker, serving their calls; no deadlock
            EXPECT_EQ(Infoform(), nullptr);
        }
    }
}
