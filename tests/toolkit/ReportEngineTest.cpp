// SPDX-License-Identifier: GPL-3.0-or-later
// The report layer on the real writers: expressions, preparation and its error report, PDF through
// Qt (checked with poppler's tools), RTF (read back), printing and the preview window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <cstdlib>

#include "RtfTestReader.h"
#include "TestTools.h"
#include "toolkit/EmfWriter.h"
#include "toolkit/ReportEngine.h"
#include "toolkit/ReportPreview.h"
#include "toolkit/RtfWriter.h"

namespace {

/// An EMF of `size` with a red and a blue half, saved to `file`.
void WriteEmf(const QString &file, QSize size)
{
    TEmfDevice emf(size);
    QPainter p(&emf);
    p.fillRect(QRect(0, 0, size.width() / 2, size.height()), Qt::red);
    p.fillRect(QRect(size.width() / 2, 0, size.width() - size.width() / 2, size.height()), Qt::blue);
    p.end();
    emf.SaveToFile(file.toStdString());
}

/// A landscape A4 template like the drive report: title, picture, footer.
struct TSampleReport {
    TReport Report;
    TReportMemo *Title;
    TReportPicture *Picture;
    QStringList ShownErrors;
    int ErrorReports = 0;

    TSampleReport()
    {
        TReportPage &page = Report.Page();
        page.Orientation = QPageLayout::Landscape;
        Title = page.Add<TReportMemo>(QStringLiteral("Memo1"), QRectF(0, 1, 277, 30));
        Title->Text = QStringLiteral("Disk Report for Drive [drive]");
        Title->Font = QFont(QStringLiteral("Arial"), 16, QFont::Bold, true);
        Title->Alignment = Qt::AlignHCenter | Qt::AlignTop;
        Picture = page.Add<TReportPicture>(QStringLiteral("Picture1"), QRectF(0, 15, 277, 167));
        Report.AddCategory(QStringLiteral(" New Category1"));
        Report.SetVariable(QStringLiteral("drive"), QVariant());
        Report.SetOnShowErrors([this](const QStringList &e) {
            ShownErrors = e;
            ++ErrorReports;
        });
    }
};

/// Runs `check` on the first modal window that opens, then closes it.
void OnNextModal(std::function<void(QWidget *)> check)
{
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, check] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            timer->stop();
            check(w);
            w->close();
            timer->deleteLater();
        }
    });
    timer->start(20);
}

} // namespace

TEST(TReport, EvaluatesExpressionsThroughGetValueThenVariables)
{
    TReport report;
    report.AddCategory(QStringLiteral(" New Category1"));
    report.SetVariable(QStringLiteral("drive"), QStringLiteral("var"));
    report.SetVariable(QStringLiteral("empty"), QVariant());
    report.SetOnGetValue([](const QString &name, QVariant &value) {
        if (name == QLatin1String("drive"))
            value = QStringLiteral("C:");
        if (name == QLatin1String("tricky"))
            value = QStringLiteral("[drive]");
    });
    struct Case {
        QString text, expected;
        int errors;
    };
    const Case cases[] = {
        {QStringLiteral("Disk Report for Drive [drive]"), QStringLiteral("Disk Report for Drive C:"), 0},
        {QStringLiteral("[Drive]"), QString(), 1}, // names are case-sensitive: no such variable
        {QStringLiteral("[empty]|"), QStringLiteral("|"), 0},
        {QStringLiteral("[tricky]"), QStringLiteral("[drive]"), 0}, // values are not evaluated again
        {QStringLiteral("a [b"), QStringLiteral("a [b"), 0},
        {QStringLiteral("[ New Category1]"), QString(), 1}, // a category is no value
        {QStringLiteral("[Page#] of [TotalPages#]"), QStringLiteral("1 of 1"), 0},
    };
    for (const Case &c : cases) {
        QStringList errors;
        EXPECT_EQ(report.Evaluate(c.text, errors), c.expected) << c.text.toStdString();
        EXPECT_EQ(errors.size(), c.errors) << c.text.toStdString();
    }
    // Without the handler the variable answers.
    report.SetOnGetValue(nullptr);
    QStringList errors;
    EXPECT_EQ(report.Evaluate(QStringLiteral("[drive]"), errors), QStringLiteral("var"));
    EXPECT_EQ(report.VariableNames(), (QStringList{QStringLiteral(" New Category1"), QStringLiteral("drive"),
                                                   QStringLiteral("empty")}));
}

TEST(TReport, PrepareCallsBeforePrintPerObjectAndCollectsErrors)
{
    QTemporaryDir dir;
    const QString emf = dir.filePath(QStringLiteral("tmp.emf"));
    WriteEmf(emf, QSize(300, 200));
    TSampleReport s;
    EXPECT_EQ(s.Report.FindObject(QStringLiteral("picture1")), s.Picture);
    EXPECT_EQ(s.Report.FindObject(QStringLiteral("Picture2")), nullptr);
    QStringList calls;
    s.Report.SetOnBeforePrint([&](TReportObject *sender) {
        calls << sender->Name();
        s.Picture->LoadFromFile(emf.toStdString());
        s.Report.SetVariable(QStringLiteral("drive"), QStringLiteral("D:"));
    });
    ASSERT_TRUE(s.Report.PrepareReport());
    EXPECT_EQ(calls, (QStringList{QStringLiteral("Memo1"), QStringLiteral("Picture1")}));
    const TPreparedPage *page = s.Report.Prepared();
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->Items.size(), 2u);
    EXPECT_EQ(page->Items[0].Text, QStringLiteral("Disk Report for Drive D:"));
    EXPECT_EQ(page->Items[1].PixelSize(), QSize(300, 200));
    // 300 x 200 in a 277 x 167 frame: full height, centred across.
    const QRectF fitted = page->Items[1].PictureRect();
    EXPECT_NEAR(fitted.height(), 167, 1e-9);
    EXPECT_NEAR(fitted.center().x(), 138.5, 1e-9);
    EXPECT_EQ(s.ErrorReports, 0);

    // A failing handler: every error is collected, the report shows them once, nothing is prepared.
    s.Report.SetOnBeforePrint([](TReportObject *sender) {
        throw std::runtime_error("Datei /x/" + sender->Name().toStdString() + " kann nicht erstellt werden");
    });
    EXPECT_FALSE(s.Report.PrepareReport());
    EXPECT_EQ(s.Report.Prepared(), nullptr);
    EXPECT_EQ(s.ErrorReports, 1);
    EXPECT_EQ(s.ShownErrors, (QStringList{QStringLiteral("Datei /x/Memo1 kann nicht erstellt werden"),
                                          QStringLiteral("Datei /x/Picture1 kann nicht erstellt werden")}));
}

TEST(TReport, DefaultErrorReportIsAMessageBox)
{
    TReport report;
    report.Page().Add<TReportMemo>(QStringLiteral("Memo1"), QRectF(0, 0, 50, 10))->Text = QStringLiteral("[nope]");
    QString shown;
    OnNextModal([&](QWidget *w) {
        if (auto *box = qobject_cast<QMessageBox *>(w))
            shown = box->text();
    });
    EXPECT_FALSE(report.PrepareReport());
    EXPECT_TRUE(shown.startsWith(QStringLiteral("The following error(s) have occured:\n"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("[nope]")));
}

TEST(TReport, ExportsOneLandscapeA4PdfPageWithTextAndEmbeddedFonts)
{
    QTemporaryDir dir;
    const QString emf = dir.filePath(QStringLiteral("tmp.emf"));
    WriteEmf(emf, QSize(600, 400));
    TSampleReport s;
    s.Report.SetOnBeforePrint([&](TReportObject *) {
        s.Picture->LoadFromFile(emf.toStdString());
        s.Report.SetVariable(QStringLiteral("drive"), QStringLiteral("C:"));
    });
    ASSERT_TRUE(s.Report.PrepareReport());
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    s.Report.ExportPdf(pdf.toStdString());

    const QString info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    ASSERT_FALSE(info.isEmpty()) << "pdfinfo (poppler-utils) missing or failed";
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+842 x 595 pts"))))
        << info.toStdString();
    EXPECT_TRUE(RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")})
                    .contains(QStringLiteral("Disk Report for Drive C:")));
    const QStringList fonts = RunTool(QStringLiteral("pdffonts"), {pdf}).split(QLatin1Char('\n')).mid(2);
    ASSERT_FALSE(fonts.join(QString()).trimmed().isEmpty());
    for (const QString &line : fonts) {
        if (!line.trimmed().isEmpty()) {
            EXPECT_TRUE(line.contains(QStringLiteral(" yes "))) << "not embedded: " << line.toStdString();
        }
    }

    // The picture is drawn as vectors: rendering the page shows both halves at their places.
    const QString png = dir.filePath(QStringLiteral("page"));
    RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-png"),
                                     QStringLiteral("-singlefile"), pdf, png});
    const QImage page(png + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    // Picture 600 x 400 fitted to 277 x 167 mm: 250.5 x 167 mm, from x = 10 + 13.25 mm.
    auto at = [&](double xMm, double yMm) { return page.pixelColor(int(xMm / 297 * page.width()), int(yMm / 210 * page.height())); };
    EXPECT_GT(at(60, 110).red(), 200);
    EXPECT_LT(at(60, 110).blue(), 80);
    EXPECT_GT(at(230, 110).blue(), 200);
    EXPECT_EQ(at(5, 110), QColor(Qt::white)); // margin
}

TEST(TReport, RtfHoldsTitlePictureAndEscapesHostileText)
{
    QTemporaryDir dir;
    const QString emf = dir.filePath(QStringLiteral("tmp.emf"));
    WriteEmf(emf, QSize(500, 300));
    const QString hostile = QStringLiteral("/mnt/{x}\\y Größe ☃ 😀 \\par }{");
    TSampleReport s;
    s.Report.SetOnGetValue([&](const QString &name, QVariant &value) {
        if (name == QLatin1String("drive"))
            value = hostile;
    });
    s.Report.SetOnBeforePrint([&](TReportObject *) { s.Picture->LoadFromFile(emf.toStdString()); });
    ASSERT_TRUE(s.Report.PrepareReport());
    const QString file = dir.filePath(QStringLiteral("report.rtf"));
    s.Report.ExportRtf(file.toStdString());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray rtf = f.readAll();
    for (char c : rtf)
        ASSERT_TRUE(static_cast<unsigned char>(c) < 0x80) << "RTF must be 7-bit";
    const TRtfContent content = ReadRtf(rtf);
    EXPECT_TRUE(content.Balanced);
    EXPECT_TRUE(content.Text.contains(QStringLiteral("Disk Report for Drive ") + hostile)) << content.Text.toStdString();
    EXPECT_EQ(content.Pictures, 1);
    EXPECT_EQ(content.Blips, QStringList{QStringLiteral("emfblip")});
    EXPECT_EQ(content.FirstPictureData, s.Picture->Emf().Data());
    for (const char *word : {"landscape", "lndscpsxn", "pngblip"})
        EXPECT_TRUE(content.Words.contains(QLatin1String(word))) << word;
    EXPECT_TRUE(content.Words.contains(QStringLiteral("paperw"))); // 297 mm = 16838 twips
    EXPECT_TRUE(rtf.contains("\\paperw16838\\paperh11906"));

    // A raster picture goes in as PNG alone.
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::green);
    const QString png = dir.filePath(QStringLiteral("p.png"));
    ASSERT_TRUE(image.save(png));
    s.Report.SetOnBeforePrint([&](TReportObject *) { s.Picture->LoadFromFile(png.toStdString()); });
    ASSERT_TRUE(s.Report.PrepareReport());
    const TRtfContent raster = ReadRtf(RtfDocument(*s.Report.Prepared()));
    EXPECT_EQ(raster.Pictures, 1);
    EXPECT_EQ(raster.Blips, QStringList{QStringLiteral("pngblip")});
    EXPECT_EQ(QImage::fromData(raster.FirstPictureData).pixelColor(5, 5), QColor(Qt::green));
}

TEST(TReport, PrintsThroughQPrinterAndRefusesUnwritableOutputs)
{
    QTemporaryDir dir;
    TSampleReport s;
    s.Report.SetVariable(QStringLiteral("drive"), QStringLiteral("E:"));
    ASSERT_TRUE(s.Report.PrepareReport());
    QPrinter printer(QPrinter::HighResolution);
    s.Report.ConfigurePrinter(printer);
    const QString out = dir.filePath(QStringLiteral("printed.pdf"));
    printer.setOutputFileName(out);
    ASSERT_TRUE(s.Report.Print(printer));
    EXPECT_TRUE(RunTool(QStringLiteral("pdftotext"), {out, QStringLiteral("-")}).contains(QStringLiteral("Drive E:")));
    EXPECT_TRUE(RunTool(QStringLiteral("pdfinfo"), {out}).contains(QRegularExpression(QStringLiteral("Page size:\\s+842 x 595 pts"))));

    QFile blocker(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    for (const char *name : {"plain/r.pdf", "plain/r.rtf"}) {
        const std::string file = dir.filePath(QString::fromLatin1(name)).toStdString();
        try {
            if (QString::fromLatin1(name).endsWith(QLatin1String("pdf")))
                s.Report.ExportPdf(file);
            else
                s.Report.ExportRtf(file);
            ADD_FAILURE() << "no error for " << name;
        } catch (const std::runtime_error &e) {
            EXPECT_EQ(std::string(e.what()), "Datei " + file + " kann nicht erstellt werden");
        }
    }
}

TEST(TReportPreview, OpensModalMaximisedAtPageWidthWithItsFourCommands)
{
    TSampleReport s;
    s.Report.SetVariable(QStringLiteral("drive"), QStringLiteral("C:"));
    ASSERT_TRUE(s.Report.PrepareReport());
    bool seen = false;
    OnNextModal([&](QWidget *w) {
        auto *preview = qobject_cast<TReportPreview *>(w);
        ASSERT_NE(preview, nullptr);
        seen = true;
        EXPECT_TRUE(preview->isModal());
        EXPECT_TRUE(preview->windowState() & Qt::WindowMaximized);
        EXPECT_EQ(preview->Zoom(), 0);
        auto *scroll = preview->findChild<QScrollArea *>();
        // The maximised geometry may reach the window a few events after it became modal (more so on
        // a loaded machine): let it settle before measuring.
        for (int i = 0; i < 200 && std::abs(scroll->widget()->width() - scroll->viewport()->width()) > 30; ++i) {
            QThread::msleep(5);
            QCoreApplication::processEvents();
        }
        // page width: the paper (plus its grey border) spans the viewport's width
        EXPECT_NEAR(scroll->widget()->width(), scroll->viewport()->width(), 30);
        QStringList commands;
        for (QAction *a : preview->findChild<QToolBar *>()->actions())
            if (!a->text().isEmpty())
                commands << a->text();
        EXPECT_EQ(commands, (QStringList{QStringLiteral("Print"), QStringLiteral("Page setup")}));
        QStringList exports;
        for (QAction *a : preview->findChild<QToolButton *>(QStringLiteral("btnExport"))->actions())
            exports << a->text();
        EXPECT_EQ(exports, (QStringList{QStringLiteral("PDF file..."), QStringLiteral("RTF file...")}));
        EXPECT_NE(preview->findChild<QComboBox *>(QStringLiteral("cbZoom")), nullptr);
        if (qEnvironmentVariableIsSet("VORLANT_DUMP"))
            preview->grab().save(QStringLiteral("/tmp/preview.png"));
        const double wide = preview->PixelsPerMm();
        preview->SetZoom(1);
        EXPECT_NEAR(preview->PixelsPerMm(), 96 / 25.4, 1e-9);
        preview->SetZoom(-1); // whole page: all of it in view
        EXPECT_LE(scroll->widget()->height(), scroll->viewport()->height() + 1);
        EXPECT_LE(scroll->widget()->width(), scroll->viewport()->width() + 1);
        EXPECT_GT(wide, 1);
    });
    s.Report.ShowPreparedReport();
    EXPECT_TRUE(seen);
}
