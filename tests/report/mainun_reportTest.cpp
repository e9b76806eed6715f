// SPDX-License-Identifier: GPL-3.0-or-later
// "Print" in the real main window: scans of generated folders, the report of the active tab, the
// picture file next to the program, re-ranks, and the error report for an unwritable folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

#include "platform/Application.h"
#include "report/DriveReport.h"
#include "QtWait.h"
#include "scan/filefunction.h"
#include "EmfTestTexts.h"
#include "TestTools.h"
#include "toolkit/EmfPicture.h"
#include "toolkit/ReportPreview.h"
#include "ui/Chartformun.h"
#include "ui/infoun.h"
#include "ui/listauswahlun.h"
#include "ui/mainun.h"

namespace {

/// Every modal window that opens while the object lives: its class and text are recorded, then it
/// is closed (a preview after `onPreview` has looked at it).
struct TModalWatch {
    QStringList Seen; ///< "preview", or the message box's text
    std::function<void(TReportPreview *)> OnPreview;
    QTimer Poll;

    TModalWatch()
    {
        QObject::connect(&Poll, &QTimer::timeout, &Poll, [this] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w)
                return;
            if (auto *preview = qobject_cast<TReportPreview *>(w)) {
                Seen << QStringLiteral("preview");
                if (OnPreview)
                    OnPreview(preview);
            } else if (auto *box = qobject_cast<QMessageBox *>(w)) {
                Seen << box->text();
            } else if (auto *dlg = dynamic_cast<TListauswahldlg *>(w)) {
                for (int i = 0; i < dlg->CheckListBox1->count(); ++i)
                    dlg->CheckListBox1->item(i)->setCheckState(Qt::Checked);
                QTest::mouseClick(dlg->ToolbarButton972, Qt::LeftButton); // "Ok": every folder
                return;
            }
            w->close();
        });
        Poll.start(10);
    }
};

class MainformReport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        C = FDir.filePath(QStringLiteral("c"));
        D = FDir.filePath(QStringLiteral("d"));
        for (int i = 0; i < 5; ++i)
            MakeFile(C + QStringLiteral("/c%1.bin").arg(i), 1000 + i);
        for (int i = 0; i < 5; ++i)
            MakeFile(D + QStringLiteral("/sub/d%1.bin").arg(i), 2000 + i);
    }
    void TearDown() override
    {
        SetReportFolder(std::string());
        FreeInfoform();
    }
    /// A window that has scanned both folders.
    std::unique_ptr<TVorlantMainform> Scanned()
    {
        auto form = std::make_unique<TVorlantMainform>(std::vector<std::string>{C.toStdString(), D.toStdString()});
        form->show();
        form->FormActivate();
        EXPECT_TRUE(WaitUntil([&] { return form->PickedCount() == 2 && form->DoneCount() == 2; }));
        return form;
    }
    /// The preview's prepared title and the picture file's legend, from one "Print".
    struct TPrinted {
        QString Title;
        QStringList Legend;
        bool PictureIsFile = false;
    };
    TPrinted Print(TVorlantMainform &form, TModalWatch &watch)
    {
        TPrinted out;
        watch.OnPreview = [&](TReportPreview *) {
            const TPreparedPage *page = form.frxReport1.Prepared();
            out.Title = page->Items.at(0).Text;
            const TEmfPicture file = TEmfPicture::FromFile(TmpEmfPath());
            out.PictureIsFile = page->Items.at(1).Emf.Data() == file.Data();
            out.Legend = EmfTexts(file);
        };
        form.btnprintClick();
        return out;
    }

    QTemporaryDir FDir;
    QString C, D;
};

} // namespace

TEST_F(MainformReport, TwoDrivesReportTheActiveTabAndLeaveOnePictureFile)
{
    TModalWatch watch;
    auto form = Scanned();
    // The picture file goes next to the program (here: where the test main placed it).
    EXPECT_EQ(TmpEmfPath(), NormalizePath(ExtractPath(Application().ExeName()) + "tmp.emf"));
    const QString c = QString::fromStdString(form->TabDrive(0)), d = QString::fromStdString(form->TabDrive(1));

    form->Page95Control1->setCurrentIndex(1);
    TPrinted printed = Print(*form, watch);
    EXPECT_EQ(printed.Title, QStringLiteral("Disk Report for Drive ") + d);
    EXPECT_TRUE(printed.PictureIsFile);
    EXPECT_TRUE(printed.Legend.join(QLatin1Char('\n')).contains(QStringLiteral("d4.bin")));
    EXPECT_FALSE(printed.Legend.join(QLatin1Char('\n')).contains(QStringLiteral("c4.bin")));
    EXPECT_TRUE(printed.Legend.contains(QStringLiteral("Drive ") + d));
    // The chart's on-screen size is the picture's size.
    const QSize onScreen = form->TabChartform(1)->Chart1->size();
    EXPECT_EQ(TEmfPicture::FromFile(TmpEmfPath()).PixelSize(), onScreen);

    form->Page95Control1->setCurrentIndex(0);
    printed = Print(*form, watch);
    EXPECT_EQ(printed.Title, QStringLiteral("Disk Report for Drive ") + c);
    EXPECT_TRUE(printed.Legend.join(QLatin1Char('\n')).contains(QStringLiteral("c4.bin")));
    EXPECT_EQ(watch.Seen, (QStringList{QStringLiteral("preview"), QStringLiteral("preview")}));
    EXPECT_EQ(form->frxReport1.Variable(QStringLiteral("drive")).toString(), c);
    // One picture file, holding the last chart.
    const QStringList files = QDir(QString::fromStdString(ReportFolder())).entryList({QStringLiteral("*.emf")});
    EXPECT_EQ(files, QStringList{QStringLiteral("tmp.emf")});
}

TEST_F(MainformReport, ReRankChangesTheNextPicture)
{
    TModalWatch watch;
    QTemporaryDir folder;
    SetReportFolder(folder.path().toStdString() + PathDelim);
    auto form = Scanned();
    form->Page95Control1->setCurrentIndex(0);
    const TPrinted before = Print(*form, watch);
    EXPECT_TRUE(before.Legend.join(QLatin1Char('\n')).contains(QStringLiteral("c0.bin")));

    QLineEdit *edit = form->dxBarEdit1->Editor();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "1");
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return !form->resortTimer->isActive(); }));
    const TPrinted after = Print(*form, watch);
    // N = 1: two bars, the largest two; the smallest file has left the picture.
    EXPECT_TRUE(after.Legend.join(QLatin1Char('\n')).contains(QStringLiteral("c4.bin")));
    EXPECT_FALSE(after.Legend.join(QLatin1Char('\n')).contains(QStringLiteral("c0.bin")));
}

TEST_F(MainformReport, UnwritableFolderShowsTheErrorReportAndNoPreview)
{
    TModalWatch watch;
    MakeFile(FDir.filePath(QStringLiteral("plain")), 1);
    // Below a regular file no folder can exist, whoever runs the test (root too).
    SetReportFolder(FDir.filePath(QStringLiteral("plain")).toStdString() + PathDelim);
    auto form = Scanned();
    form->btnprintClick();
    ASSERT_EQ(watch.Seen.size(), 1);
    EXPECT_EQ(watch.Seen.front(), QStringLiteral("The following error(s) have occured:\nDatei %1 kann nicht erstellt werden")
                                      .arg(QString::fromStdString(TmpEmfPath())));
    EXPECT_EQ(form->frxReport1.Prepared(), nullptr);
    // Nothing else is lost: the tabs and charts stay, and printing works again once possible.
    EXPECT_EQ(form->Page95Control1->count(), 2);
    EXPECT_GT(form->ActiveChartform()->Series1->Count(), 0);
    QTemporaryDir folder;
    SetReportFolder(folder.path().toStdString() + PathDelim);
    form->btnprintClick();
    EXPECT_EQ(watch.Seen.back(), QStringLiteral("preview"));
}

TEST_F(MainformReport, PrintWithoutATabSaysSo)
{
    TModalWatch watch;
    QTemporaryDir folder;
    SetReportFolder(folder.path().toStdString() + PathDelim);
    TVorlantMainform form(std::vector<std::string>{C.toStdString()});
    form.btnprintClick();
    EXPECT_EQ(watch.Seen, QStringList{QStringLiteral("There is no drive chart to print yet. Scan a drive first.")});
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}
