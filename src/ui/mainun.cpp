// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainun.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QVBoxLayout>

#include <cerrno>
#include <climits>

#include "platform/FormDescription.h"
#include "project/MainformDescription.h"
#include "winstate/WinRstor.h"
#include "scan/diskthreadun.h"
#include "scan/filefunction.h"
#include "toolkit/FormPanel.h"
#include "toolkit/QtApplication.h"
#include "ui/Chartformun.h"
#include "ui/infoun.h"
#include "ui/listauswahlun.h"

namespace {

constexpr int DriveFixed = 3;
constexpr int DataDrive = Qt::UserRole; // tab data: the drive text as given

// Restores the normal cursor on every way out of a re-rank.
class TWaitCursor
{
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor &) = delete;
    TWaitCursor &operator=(const TWaitCursor &) = delete;
};

// The virtual key code of a key event, as the key-down filter sees keys.
std::uint16_t VirtualKey(const QKeyEvent *e)
{
    const int k = e->key();
    const bool keypad = e->modifiers() & Qt::KeypadModifier;
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return static_cast<std::uint16_t>(keypad ? 96 + (k - Qt::Key_0) : 48 + (k - Qt::Key_0));
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return static_cast<std::uint16_t>(65 + (k - Qt::Key_A));
    switch (k) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Delete:
        return 46;
    default:
        return 0xFF; // any other key: outside the digits
    }
}

} // namespace

int StrToInt(const std::string &text)
{
    auto fail = [&]() -> int { throw EConvertInt("'" + text + "' ist kein gültiger Integerwert"); };
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return fail();
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return fail();
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL)
            return fail();
    }
    value = negative ? -value : value;
    if (value > INT_MAX || value < INT_MIN)
        return fail();
    return static_cast<int>(value);
}

TVorlantMainform::TVorlantMainform(std::vector<std::string> offered)
    : FOffered(std::move(offered))
{
    SetName("VorlantMainform");
    setObjectName(QStringLiteral("VorlantMainform"));
    resize(914, 626);
    if (auto *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    dxBarManager1 = addToolBar(QStringLiteral("Vorlant"));
    dxBarManager1->setObjectName(QStringLiteral("dxBarManager1"));
    dxBarManager1->setMovable(false);
    dxBarManager1->setFloatable(false);
    dxBarManager1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    brnreadNew = new TBarButton(this, "brnreadNew", dxBarManager1, QStringLiteral("Read new"));
    brnreadNew->Action()->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    btnprint = new TBarButton(this, "btnprint", dxBarManager1, QStringLiteral("Print"), true);
    btnprint->Action()->setIcon(QIcon::fromTheme(QStringLiteral("document-print"), style()->standardIcon(QStyle::SP_FileIcon)));
    dxBarEdit1 = new TBarEdit(this, "dxBarEdit1", dxBarManager1, QStringLiteral("Files count:"), 100, true);
    dxBarEdit1->SetText("20");
    dxBarCombo1 = new TBarCombo(this, "dxBarCombo1", dxBarManager1, QStringLiteral("Show: "), 100,
                                {QStringLiteral("Greatest files"), QStringLiteral("Oldest files"), QStringLiteral("Newest files")});
    dxBarCombo1->SetItemIndex(0);
    dxBarButton2 = new TBarButton(this, "dxBarButton2", dxBarManager1, QStringLiteral("Exit"), true);
    dxBarButton2->Action()->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    dxBarGroup1 = new TBarGroup(this, "dxBarGroup1", {brnreadNew, dxBarEdit1, dxBarCombo1, btnprint});
    brnreadNew->SetEnabled(false);
    btnprint->SetEnabled(true);
    dxBarEdit1->SetEnabled(false);
    dxBarCombo1->SetEnabled(false);

    brnreadNew->SetOnClick([this] { brnreadNewClick(); });
    btnprint->SetOnClick([this] { btnprintClick(); });
    dxBarButton2->SetOnClick([this] { dxBarButton2Click(); });
    dxBarCombo1->SetOnChange([this] { dxBarCombo1Change(); });
    dxBarEdit1->Editor()->installEventFilter(this);

    Page95Control1 = new QTabWidget(this);
    Page95Control1->setObjectName(QStringLiteral("Page95Control1"));
    Page95Control1->setElideMode(Qt::ElideMiddle);
    Page95Control1->setDocumentMode(true);

    auto makeTimer = [this](const char *name, int ms, void (TVorlantMainform::*handler)()) {
        auto *t = new QTimer(this);
        t->setObjectName(QLatin1String(name));
        t->setInterval(ms);
        QObject::connect(t, &QTimer::timeout, this, handler);
        return t;
    };
    starttimer = makeTimer("starttimer", 300, &TVorlantMainform::starttimerTimer);
    Timer1 = makeTimer("Timer1", 200, &TVorlantMainform::Timer1Timer);
    resortTimer = makeTimer("resortTimer", 100, &TVorlantMainform::resortTimerTimer);
    FProgressTimer = makeTimer("progressTimer", 250, &TVorlantMainform::ShowProgress);

    SetOnCreate([this](TObject *sender) { FormCreate(sender); });
    // The stored description: its components and their stored values; FinishCreate then runs
    // Loaded on each (the version component sets the title and the caption there).
    RegisterWinRestorer();
    RegisterProjectComponents();
    ReadFormDescription(*this, MainformDescription(), "VorlantMainform.vfd", false);
    Project1 = dynamic_cast<TProject *>(FindComponent("Project1"));
    ConnectStore();
    FinishCreate();
}

TVorlantMainform::~TVorlantMainform()
{
    FormDestroy();
}

void TVorlantMainform::FormCreate(TObject *)
{
    setCentralWidget(Page95Control1);
    FAllDrives.clear();
    FPickedDrives.clear();
    if (FOffered.empty())
        GetDrivesIfType(&FAllDrives, DriveFixed, true);
    else
        FAllDrives = FOffered;
    FFirstActivate = true;
}

bool TVorlantMainform::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    else if (e->type() == QEvent::Show && FFirstActivate)
        activateWindow(); // ask for it: a display without window manager never activates by itself
    return TQtForm<QMainWindow>::event(e);
}

void TVorlantMainform::FormActivate()
{
    if (!FFirstActivate)
        return;
    FFirstActivate = false;
    starttimer->start();
}

void TVorlantMainform::FormDestroy()
{
    // Waiting for the workers serves events: no deferred selection, scan start or re-rank may run
    // in a window that is going.
    for (QTimer *t : {starttimer, Timer1, resortTimer, FProgressTimer})
        t->stop();
    ClearScans();
    FAllDrives.clear();
    FreeInfoform(); // never left behind for the end of the process, after the application is gone
}

void TVorlantMainform::starttimerTimer()
{
    starttimer->stop();
    if (!SelectDrives())
        brnreadNew->SetEnabled(true);
}

void TVorlantMainform::brnreadNewClick()
{
    if (!SelectDrives())
        brnreadNew->SetEnabled(true);
}

void TVorlantMainform::dxBarButton2Click()
{
    close();
}

void TVorlantMainform::dxBarCombo1Change()
{
    resortTimer->start();
}

bool TVorlantMainform::SelectDrives()
{
    ClearScans();
    std::string lines;
    for (const auto &d : FAllDrives)
        lines += d + "\r\n";
    std::string picked = TListauswahldlg::SelectFromList(this, lines, "\r\n");
    if (picked.empty())
        return false;
    for (auto &drive : SplitLines(picked))
        FPickedDrives.push_back({std::move(drive), nullptr});
    Timer1->start();
    return true;
}

int TVorlantMainform::FilesCount() const
{
    return StrToInt(dxBarEdit1->Text());
}

void TVorlantMainform::Timer1Timer()
{
    Timer1->stop();
    int showCount = 0;
    try {
        showCount = FilesCount();
    } catch (const EConvertInt &) {
        // Nothing has started: give the user the toolbar to correct the count and read anew.
        FPickedDrives.clear();
        dxBarGroup1->SetEnabled(true);
        throw;
    }
    FDoneCount = 0;
    dxBarGroup1->SetEnabled(false);
    std::string accumulated;
    for (size_t i = 0; i < FPickedDrives.size(); ++i) {
        const std::string drive = FPickedDrives[i].Drive;
        auto *sheet = new QWidget;
        sheet->setObjectName(QStringLiteral("Tab95Sheet%1").arg(i + 1));
        QString caption = ToQString(drive);
        int index = Page95Control1->addTab(sheet, QString(caption).replace(QLatin1Char('&'), QLatin1String("&&")));
        Page95Control1->tabBar()->setTabData(index, QByteArray::fromStdString(drive));
        MarkTab(index, true, caption + QStringLiteral(": scanning"));

        accumulated += drive;
        if (i + 1 < FPickedDrives.size())
            accumulated += ", ";
        TInfoform *info = GetInfoform();
        info->SetOnStop([this](TObject *) { StopScans(); });
        info->ShowInfo("Checking Drive " + accumulated + ". Please stay patient..");

        auto *panel = new TFormPanel(sheet);
        panel->setObjectName(QStringLiteral("DCFormPanel%1").arg(i + 1));
        auto *layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(panel);
        FChartViews.push_back(std::make_unique<TChartform>());
        TChartform *view = FChartViews.back().get();
        panel->SetForm(view);
        view->show();
        view->Chart1->SetTitle("Drive " + drive);
        view->SetScanStatus("Scanning " + drive + " ...");

        auto worker = std::make_unique<TDiskThread>(drive, view->Series1, showCount, 0,
                                                    [this](TObject *sender) { ScanDone(sender); });
        TDiskThread *w = worker.get();
        view->SetRecordSource([w](int point) { return w->Running() ? nullptr : w->ShownRecord(point); });
        FPickedDrives[i].Worker = std::move(worker);
        w->Resume();
    }
    FProgressTimer->start();
    Delay(1000);
}

void TVorlantMainform::ScanDone(TObject *sender)
{
    ++FDoneCount;
    auto *worker = dynamic_cast<TDiskThread *>(sender);
    if (worker) {
        int index = TabOf(worker->Drive());
        if (index >= 0) {
            QString drive = ToQString(worker->Drive());
            QString tip;
            std::string status;
            QString files = QLocale().toString(static_cast<qulonglong>(worker->FilesSoFar()));
            if (!worker->ErrorMessage().empty()) {
                tip = drive + QStringLiteral(": scan failed: ") + ToQString(worker->ErrorMessage());
                status = "Scan failed: " + worker->ErrorMessage();
            } else if (worker->Aborted()) {
                tip = drive + QStringLiteral(": stopped after %1 files").arg(files);
                status = "Scan stopped after " + FromQString(files) + " files";
            } else {
                tip = drive + QStringLiteral(": %1 files").arg(files);
            }
            MarkTab(index, false, tip);
            if (auto *view = TabChartform(index))
                view->SetScanStatus(status);
        }
    }
    if (FDoneCount >= PickedCount()) {
        FProgressTimer->stop();
        FreeInfoform();
        dxBarGroup1->SetEnabled(true);
    }
}

void TVorlantMainform::StopScans()
{
    for (auto &p : FPickedDrives)
        if (p.Worker && p.Worker->Running())
            p.Worker->Stop();
}

void TVorlantMainform::resortTimerTimer()
{
    resortTimer->stop();
    TWaitCursor hourglass;
    const int mode = dxBarCombo1->ItemIndex();
    const int showCount = FilesCount(); // refused before any drive changes
    for (auto &p : FPickedDrives)
        if (p.Worker && !p.Worker->Running())
            p.Worker->Rerank(showCount, mode);
}

void TVorlantMainform::dxBarEdit1KeyDown(std::uint16_t &key)
{
    if (key == 13)
        resortTimer->start();
    else if (key < 48 || key > 57)
        key = 0;
}

void TVorlantMainform::dxBarEdit1KeyPress(char &key)
{
    if (key < '0' || key > '9')
        key = 0;
}

bool TVorlantMainform::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == dxBarEdit1->Editor() && e->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(e);
        std::uint16_t key = VirtualKey(ke);
        dxBarEdit1KeyDown(key);
        if (key == 0)
            return true;
        QByteArray text = ke->text().toLatin1();
        char ch = text.isEmpty() ? 0 : text[0];
        dxBarEdit1KeyPress(ch);
        return ch == 0; // only the digits reach the edit
    }
    return TQtForm<QMainWindow>::eventFilter(watched, e);
}

void TVorlantMainform::ClearScans()
{
    for (auto &p : FPickedDrives) {
        if (!p.Worker)
            continue;
        if (p.Worker->Running()) {
            p.Worker->Stop();
            Delay(10);
        }
        p.Worker.reset(); // waits for the thread, serving its synchronous calls (ScanDone included)
    }
    for (int i = 0; i < Page95Control1->count(); ++i)
        if (auto *panel = Page95Control1->widget(i)->findChild<TFormPanel *>())
            panel->SetForm(nullptr);
    FChartViews.clear();
    while (Page95Control1->count() > 0) {
        QWidget *page = Page95Control1->widget(0);
        Page95Control1->removeTab(0);
        delete page;
    }
    FPickedDrives.clear();
    FProgressTimer->stop();
}

int TVorlantMainform::TabOf(const std::string &drive) const
{
    for (int i = 0; i < Page95Control1->count(); ++i)
        if (TabDrive(i) == drive)
            return i;
    return -1;
}

std::string TVorlantMainform::TabDrive(int index) const
{
    if (index < 0 || index >= Page95Control1->count())
        return {};
    return Page95Control1->tabBar()->tabData(index).toByteArray().toStdString();
}

TChartform *TVorlantMainform::TabChartform(int index) const
{
    if (index < 0 || index >= Page95Control1->count())
        return nullptr;
    auto *panel = Page95Control1->widget(index)->findChild<TFormPanel *>();
    return panel ? dynamic_cast<TChartform *>(panel->Form()) : nullptr;
}

std::string TVorlantMainform::ActiveDrive() const
{
    return TabDrive(Page95Control1->currentIndex());
}

TChartform *TVorlantMainform::ActiveChartform() const
{
    return TabChartform(Page95Control1->currentIndex());
}

bool TVorlantMainform::TabBusy(int index) const
{
    QWidget *sheet = Page95Control1->widget(index);
    return sheet && sheet->property("busy").toBool();
}

void TVorlantMainform::MarkTab(int index, bool busy, const QString &tip)
{
    // A running drive shows a busy mark and grey text; a finished one reads like any tab.
    auto *bar = Page95Control1->tabBar();
    Page95Control1->widget(index)->setProperty("busy", busy);
    bar->setTabIcon(index, busy ? style()->standardIcon(QStyle::SP_BrowserReload) : QIcon());
    bar->setTabTextColor(index, busy ? palette().color(QPalette::Disabled, QPalette::WindowText) : QColor());
    bar->setTabToolTip(index, tip);
}

void TVorlantMainform::ShowProgress()
{
    for (auto &p : FPickedDrives) {
        if (!p.Worker || !p.Worker->Running())
            continue;
        int index = TabOf(p.Drive);
        if (index < 0)
            continue;
        QString files = QLocale().toString(static_cast<qulonglong>(p.Worker->FilesSoFar()));
        std::string folder = p.Worker->CurrentFolder();
        MarkTab(index, true, ToQString(p.Drive) + QStringLiteral(": %1 files so far").arg(files));
        if (auto *view = TabChartform(index))
            view->SetScanStatus("Scanning " + p.Drive + ": " + FromQString(files) + " files so far\n" + folder);
    }
}
