// SPDX-License-Identifier: GPL-3.0-or-later
// mainun: the main window: toolbar, one tab per picked drive with its chart view, and scan control
// (selection, scan start, completion, re-rank, clearing).
#pragma once

#include <QMainWindow>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

#include "platform/Component.h"
#include "project/VProject.h"
#include "toolkit/BarItems.h"
#include "toolkit/QtForm.h"
#include "toolkit/ReportEngine.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TChartform;
class TDiskThread;
class TFormPanel;
class TWinRestorer;

/// Raised by StrToInt for a text that is not a decimal 32-bit integer.
class EConvertInt : public EConvertError
{
public:
    using EConvertError::EConvertError;
};

/// Strict decimal conversion to a 32-bit signed integer: an optional sign and digits, nothing
/// else. Anything else (empty, letters, blanks, too large) raises EConvertInt with the runtime's
/// text "'<text>' ist kein gültiger Integerwert".
int StrToInt(const std::string &text);

/// The program's main window. Everything here runs on the GUI thread; workers reach it only
/// through their completion call, which they run synchronously on the GUI thread.
///
/// Line i of the picked drives, tab i and worker i are created together, in line order. The window
/// owns the workers and the chart views it creates (it frees both in ClearScans); the tabs and the
/// form panels on them are Qt children of the tab control.
///
/// Creation: the constructor builds the widgets and components, sets FormCreate as the create
/// handler and calls FinishCreate() (Loaded on every component, then the create event). Components
/// that attach themselves to the form's create and close events (the window state store, the
/// version component) are created in the constructor before FinishCreate().
class TVorlantMainform : public TQtForm<QMainWindow>
{
public:
    /// `offered`: folders to offer in the selection instead of the machine's fixed drives (the
    /// command line's `vorlant PATH...`, and tests); empty offers the drives.
    explicit TVorlantMainform(std::vector<std::string> offered = {});
    /// Runs FormDestroy: stops and frees every worker (waiting while serving their calls), frees the
    /// chart views and the status window.
    ~TVorlantMainform() override;

    // Toolbar, tabs and timers under their design names.
    QToolBar *dxBarManager1;
    TBarButton *brnreadNew;
    TBarButton *btnprint;
    TBarEdit *dxBarEdit1;
    TBarCombo *dxBarCombo1;
    TBarButton *dxBarButton2;
    TBarGroup *dxBarGroup1;
    QTabWidget *Page95Control1;
    QTimer *starttimer; ///< 300 ms after the first activation: the selection
    QTimer *Timer1;     ///< 200 ms after a non-empty selection: the scan start
    QTimer *resortTimer; ///< 100 ms after a change of "Show: " or Enter in "Files count:": the re-rank
    /// The version component, created from the window's stored description (owned by the form).
    TProject *Project1 = nullptr;
    /// The window state store, from the stored description (INI file next to the program): it
    /// restores geometry and the files count before FormCreate and saves them at every close.
    TWinRestorer *wr = nullptr;

    // Event handlers.
    void FormCreate(TObject *sender);
    /// The store's component-value events (mainun_store.cpp): for dxBarEdit1 only, "Files count:"
    /// is read from / written to section "Options", ident "Filecount", as text (a stored text that
    /// is no number is shown as it is; the scan start refuses it). Both return false, so the store
    /// itself handles none of the window's controls.
    bool wrReadComponentValue(TObject *sender, TComponent *component, std::string &section, std::string ident);
    bool wrSaveComponentValue(TObject *sender, TComponent *component, std::string &section, std::string ident);
    /// First activation only: enables starttimer.
    void FormActivate();
    void FormDestroy();
    void starttimerTimer();
    /// The scan start: one tab, chart view and worker per picked drive, all scanning at once, with
    /// the status window showing "Checking Drive <drives>. Please stay patient..". A files count
    /// that is not a number is refused (EConvertInt) before anything is created; the toolbar is
    /// then enabled so that it can be corrected and "Read new" pressed.
    void Timer1Timer();
    /// Re-ranks every finished drive to "Show: " and "Files count:" without scanning, under the
    /// hourglass cursor. A files count that is not a number is refused before any drive changes.
    void resortTimerTimer();
    void brnreadNewClick();
    void dxBarButton2Click();
    void dxBarCombo1Change();
    /// Key filter of "Files count:" (virtual key code): Enter schedules the re-rank and passes;
    /// every key outside the main keyboard's digits 48..57 is swallowed (set to 0).
    void dxBarEdit1KeyDown(std::uint16_t &key);
    /// Character filter: every character but '0'..'9' is swallowed (set to 0).
    void dxBarEdit1KeyPress(char &key);
    /// "Print": the report of the active tab (defined with the report).
    void btnprintClick();

    /// The drive report (report/mainun_report.cpp); its template is built at the first "Print".
    TReport frxReport1;
    /// Before each report object is printed: the active tab's chart goes to tmp.emf next to the
    /// program and into "Picture1", its drive text into the variable "drive".
    void frxReport1BeforePrint(TReportObject *sender);
    /// The value of "drive" in the title: the active tab's drive text; other names stay untouched.
    void frxReport1GetValue(const QString &varName, QVariant &value);

    /// Stops and frees every worker, frees every chart view, deletes every tab, empties the picked
    /// drives. Safe when nothing exists.
    void ClearScans();
    /// Runs the selection over the offered drives; true when at least one was picked and the scan
    /// start is scheduled.
    bool SelectDrives();
    /// The completion call of every worker (sender: the worker), on the GUI thread.
    void ScanDone(TObject *sender);
    /// Asks every running worker to stop (the status window's "Abbruch"); each still reports done.
    void StopScans();

    // Read access for the report, the tests and the state store.
    const std::vector<std::string> &AllDrives() const { return FAllDrives; }
    int PickedCount() const { return static_cast<int>(FPickedDrives.size()); }
    const std::string &PickedDrive(int i) const { return FPickedDrives.at(static_cast<size_t>(i)).Drive; }
    TDiskThread *Worker(int i) const { return FPickedDrives.at(static_cast<size_t>(i)).Worker.get(); }
    int DoneCount() const { return FDoneCount; }
    bool FirstActivate() const { return FFirstActivate; }
    /// The drive text of tab `index` (its caption), or empty.
    std::string TabDrive(int index) const;
    /// The chart view hosted on tab `index`, or nullptr.
    TChartform *TabChartform(int index) const;
    /// The active tab's drive text, or empty when there is no tab.
    std::string ActiveDrive() const;
    /// The active tab's chart view, or nullptr when there is no tab.
    TChartform *ActiveChartform() const;
    /// Whether the drive of tab `index` is still being scanned.
    bool TabBusy(int index) const;

    std::string ClassName() const override { return "TVorlantMainform"; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// Finds wr from the description and gives it its handlers and the Qt controls (before Loaded).
    void ConnectStore();
    struct TPicked {
        std::string Drive;
        std::unique_ptr<TDiskThread> Worker;
    };
    /// The files count N from "Files count:" (StrToInt).
    int FilesCount() const;
    int TabOf(const std::string &drive) const;
    void MarkTab(int index, bool busy, const QString &tip);
    /// Refreshes the live progress of every running drive (tab tip and chart).
    void ShowProgress();

    std::vector<std::string> FOffered;
    std::vector<std::string> FAllDrives;
    int FDoneCount = 0;
    std::vector<TPicked> FPickedDrives;
    bool FFirstActivate = false;
    std::vector<std::unique_ptr<TChartform>> FChartViews; // created without owner: freed by us
    QTimer *FProgressTimer;
};
