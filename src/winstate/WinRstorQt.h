// SPDX-License-Identifier: GPL-3.0-or-later
// WinRstorQt: the Qt side of the window state store: a form's geometry over QScreen, and the
// component-value rules applied to the Qt counterparts of the controls.
#pragma once

#include "winstate/WinRstor.h"

#include <QCheckBox>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

/// The monitors as Qt reports them: QGuiApplication::screens() in its order (primary first), each
/// by its geometry in desktop pixels.
std::vector<TMonitorBounds> QtMonitors();

/// A top-level QWidget as the geometry rules see it: Left/Top are the window's position including
/// its frame (QWidget::pos()), Width/Height its client size (QWidget::size()), so that saving and
/// restoring give back the same window. Window states map to Qt::WindowMinimized/Maximized; a state
/// set before the window is shown takes effect when it is shown. Qt never centres or moves a window
/// that was moved explicitly, so the "as designed" and "desktop monitor" rules need nothing.
class TQtFormPlacement : public TFormPlacement
{
public:
    explicit TQtFormPlacement(QWidget *window);
    /// Tests give monitors as data; by default QtMonitors().
    void SetMonitorSource(std::function<std::vector<TMonitorBounds>()> source) { FMonitors = std::move(source); }

    int Left() const override;
    int Top() const override;
    int Width() const override;
    int Height() const override;
    void SetLeft(int value) override;
    void SetTop(int value) override;
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    TWindowState WindowState() const override;
    void SetWindowState(TWindowState state) override;
    std::vector<TMonitorBounds> Monitors() const override;

private:
    QPointer<QWidget> FWindow;
    std::function<std::vector<TMonitorBounds>()> FMonitors;
};

/// One Qt control (any named QObject: widget or action) presented to the store and to the form's
/// component-value handlers as a component: Name() is its objectName, ClassName() its Qt class name
/// (for example "QLineEdit"). It is not owned by the form; the bridge makes these afresh for each
/// traversal. QtObjectOf(component) gives the control back (nullptr for any other component or a
/// control that is gone), so a handler asks `QtObjectOf(component) == dxBarEdit1`.
class TQtControl : public TComponent
{
public:
    explicit TQtControl(QObject *object);
    std::string ClassName() const override;
    QObject *Object() const { return FObject; }

private:
    QPointer<QObject> FObject;
};

QObject *QtObjectOf(const TComponent *component);

/// The bridge between the store and a Qt form.
///
/// The component list is the form's own core components (the store itself, other non-visual
/// components) in creation order, followed by every named QObject below the form window, depth
/// first in child order (which is creation order within one parent). Objects without a name, Qt's
/// internal parts (names starting with "qt_") and other forms embedded in this one (with all their
/// children) are left out. Controls own no components here: every control is on the list itself.
///
/// The class rules, tested in this order: QTabWidget (page control: the current page's objectName),
/// QSlider (track bar: value), QTreeWidget (list view: top-level items, column 0 the caption,
/// further columns the sub-items), QTableView over a QSqlTableModel (data grid: the visible columns
/// in visual order with width, field name and header title; read only while the model's table is
/// open), a checkable QAction (menu item: checked), QLineEdit (edit: text), QCheckBox and
/// QRadioButton (checked), a check list QListWidget (one whose "checkList" property is true or one
/// of whose items has a check state: texts, check marks and current row), QListWidget (list box:
/// texts and current row), QPlainTextEdit (memo: lines), QComboBox (items and current index; an
/// editable one, the drop-down style, also its text), QScrollBar (value), QSpinBox (spin edit:
/// value) and TRadioGroup (ItemIndex). Sections and value names are those of the store's rules.
class TQtWinStateBridge : public TWinStateBridge
{
public:
    explicit TQtWinStateBridge(QWidget *form);
    TFormPlacement *Placement() override;
    TQtFormPlacement &QtPlacement() { return FPlacement; }
    std::vector<TComponent *> ValueComponents(TForm &form) override;
    void WriteComponentValue(TWinRestorer &store, const std::string &section, TComponent *component) override;
    void ReadComponentValue(TWinRestorer &store, const std::string &section, TComponent *component) override;

private:
    void Collect(QObject *parent, std::vector<TComponent *> &out);
    QPointer<QWidget> FForm;
    TQtFormPlacement FPlacement;
    std::vector<std::unique_ptr<TQtControl>> FControls;
};

/// Makes every store whose owner form is a QWidget use a TQtWinStateBridge. Call once at start-up
/// (the window and the Qt tests do); stores created before keep working.
void InstallQtWinStateBridge();

/// A QCheckBox as the store's AutoCheckBox or AutoAsServiceCheckbox: owned by the form (a core
/// component named like the box), it reads and sets the box, and when the box is destroyed it
/// tells the form's components, so the store drops its reference.
class TQtCheckBoxLink : public TStoreCheckBox
{
public:
    TQtCheckBoxLink(TComponent *owner, QCheckBox *box);
    bool Checked() const override;
    void SetChecked(bool checked) override;
    bool SameControl(const TComponent *component) const override;

private:
    QPointer<QCheckBox> FBox;
    QObject FWatch; // context of the destroyed connection; dies with the link
};
