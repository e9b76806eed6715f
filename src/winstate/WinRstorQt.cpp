// SPDX-License-Identifier: GPL-3.0-or-later
#include "WinRstorQt.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

#include "toolkit/QtApplication.h"
#include "winstate/RadioGroup.h"

std::vector<TMonitorBounds> QtMonitors()
{
    std::vector<TMonitorBounds> out;
    for (QScreen *screen : QGuiApplication::screens()) {
        QRect g = screen->geometry();
        out.push_back({g.x(), g.y(), g.width(), g.height()});
    }
    return out;
}

// --- geometry --------------------------------------------------------------------------------

TQtFormPlacement::TQtFormPlacement(QWidget *window)
    : FWindow(window)
    , FMonitors(QtMonitors)
{
}

int TQtFormPlacement::Left() const
{
    return FWindow ? FWindow->x() : 0;
}

int TQtFormPlacement::Top() const
{
    return FWindow ? FWindow->y() : 0;
}

int TQtFormPlacement::Width() const
{
    return FWindow ? FWindow->width() : 0;
}

int TQtFormPlacement::Height() const
{
    return FWindow ? FWindow->height() : 0;
}

void TQtFormPlacement::SetLeft(int value)
{
    if (FWindow)
        FWindow->move(value, FWindow->y());
}

void TQtFormPlacement::SetTop(int value)
{
    if (FWindow)
        FWindow->move(FWindow->x(), value);
}

void TQtFormPlacement::SetWidth(int value)
{
    if (FWindow)
        FWindow->resize(value, FWindow->height());
}

void TQtFormPlacement::SetHeight(int value)
{
    if (FWindow)
        FWindow->resize(FWindow->width(), value);
}

TWindowState TQtFormPlacement::WindowState() const
{
    if (!FWindow)
        return TWindowState::wsNormal;
    Qt::WindowStates s = FWindow->windowState();
    if (s & Qt::WindowMinimized)
        return TWindowState::wsMinimized;
    if (s & Qt::WindowMaximized)
        return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
}

void TQtFormPlacement::SetWindowState(TWindowState state)
{
    if (!FWindow)
        return;
    Qt::WindowStates s = FWindow->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == TWindowState::wsMinimized)
        s |= Qt::WindowMinimized;
    else if (state == TWindowState::wsMaximized)
        s |= Qt::WindowMaximized;
    FWindow->setWindowState(s);
}

std::vector<TMonitorBounds> TQtFormPlacement::Monitors() const
{
    return FMonitors ? FMonitors() : std::vector<TMonitorBounds>();
}

// --- controls as components ------------------------------------------------------------------

TQtControl::TQtControl(QObject *object)
    : TComponent(nullptr)
    , FObject(object)
{
    SetName(FromQString(object->objectName()));
}

std::string TQtControl::ClassName() const
{
    return FObject ? FObject->metaObject()->className() : "TQtControl";
}

QObject *QtObjectOf(const TComponent *component)
{
    auto *control = dynamic_cast<const TQtControl *>(component);
    return control ? control->Object() : nullptr;
}

TQtWinStateBridge::TQtWinStateBridge(QWidget *form)
    : FForm(form)
    , FPlacement(form)
{
}

TFormPlacement *TQtWinStateBridge::Placement()
{
    return FForm ? &FPlacement : nullptr;
}

void TQtWinStateBridge::Collect(QObject *parent, std::vector<TComponent *> &out)
{
    for (QObject *child : parent->children()) {
        if (dynamic_cast<TForm *>(child))
            continue; // an embedded form keeps its own store
        const QString name = child->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))) {
            FControls.push_back(std::make_unique<TQtControl>(child));
            out.push_back(FControls.back().get());
        }
        Collect(child, out);
    }
}

std::vector<TComponent *> TQtWinStateBridge::ValueComponents(TForm &form)
{
    std::vector<TComponent *> out = TWinStateBridge::ValueComponents(form);
    FControls.clear();
    if (FForm)
        Collect(FForm, out);
    return out;
}

// --- the class rules -------------------------------------------------------------------------

namespace {

std::string Num(int i)
{
    return std::to_string(i);
}

bool IsCheckList(const QListWidget *list)
{
    if (list->property("checkList").toBool())
        return true;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->data(Qt::CheckStateRole).isValid())
            return true;
    return false;
}

/// The data grid's model when its table is open ("active"), else nullptr.
QSqlTableModel *ActiveTable(QTableView *view)
{
    auto *model = qobject_cast<QSqlTableModel *>(view->model());
    if (!model || model->tableName().isEmpty() || !model->database().isOpen())
        return nullptr;
    return model;
}

QStringList MemoLines(const QPlainTextEdit *memo)
{
    QString text = memo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

/// Suspends a widget's painting for the lifetime of the object.
class TUpdatesSuspended
{
public:
    explicit TUpdatesSuspended(QWidget *w)
        : FWidget(w)
        , FWas(w->updatesEnabled())
    {
        w->setUpdatesEnabled(false);
    }
    ~TUpdatesSuspended() { FWidget->setUpdatesEnabled(FWas); }
    TUpdatesSuspended(const TUpdatesSuspended &) = delete;
    TUpdatesSuspended &operator=(const TUpdatesSuspended &) = delete;

private:
    QWidget *FWidget;
    bool FWas;
};

} // namespace

void TQtWinStateBridge::WriteComponentValue(TWinRestorer &store, const std::string &s, TComponent *component)
{
    QObject *o = QtObjectOf(component);
    if (!o)
        return;
    const std::string n = component->Name();
    const std::string l = s + "\\" + n;
    const std::string idx = s + "\\" + n + "idx";
    auto writeList = [&](const QStringList &items) {
        store.EraseSection(l);
        store.WriteInteger(l, n + "_Count", static_cast<int>(items.size()));
        for (int i = 0; i < items.size(); ++i)
            store.WriteString(l, n + "_" + Num(i), FromQString(items[i]));
    };

    if (auto *tabs = qobject_cast<QTabWidget *>(o)) {
        store.WriteString(s, n, tabs->currentWidget() ? FromQString(tabs->currentWidget()->objectName()) : "");
    } else if (auto *slider = qobject_cast<QSlider *>(o)) {
        store.WriteInteger(s, n, slider->value());
    } else if (auto *tree = qobject_cast<QTreeWidget *>(o)) {
        store.EraseSection(l);
        store.WriteInteger(l, n + "_Count", tree->topLevelItemCount());
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem *item = tree->topLevelItem(i);
            store.WriteString(l, n + "_" + Num(i), FromQString(item->text(0)));
            int subs = std::max(0, item->columnCount() - 1);
            store.WriteInteger(l, n + "_SubCount" + Num(i), subs);
            for (int j = 0; j < subs; ++j)
                store.WriteString(l, "Sub_" + n + Num(i) + "_" + Num(j), FromQString(item->text(j + 1)));
        }
    } else if (auto *grid = qobject_cast<QTableView *>(o)) {
        auto *model = qobject_cast<QSqlTableModel *>(grid->model());
        if (!model)
            return;
        int old = store.ReadInteger(l, n + "_Count", 0);
        for (int i = 0; i < old; ++i)
            store.EraseSection(s + "\\" + n + "_" + Num(i));
        store.EraseSection(l);
        QHeaderView *header = grid->horizontalHeader();
        std::vector<int> columns;
        for (int v = 0; v < header->count(); ++v) {
            int logical = header->logicalIndex(v);
            if (!grid->isColumnHidden(logical))
                columns.push_back(logical);
        }
        store.WriteInteger(l, n + "_Count", static_cast<int>(columns.size()));
        for (size_t i = 0; i < columns.size(); ++i) {
            const std::string c = s + "\\" + n + "_" + Num(static_cast<int>(i));
            store.WriteInteger(c, "Width", grid->columnWidth(columns[i]));
            store.WriteString(c, "Field", FromQString(model->record().fieldName(columns[i])));
            store.WriteString(c, "Title", FromQString(model->headerData(columns[i], Qt::Horizontal).toString()));
        }
    } else if (auto *action = qobject_cast<QAction *>(o)) {
        if (action->isCheckable())
            store.WriteBool(s, n, action->isChecked());
    } else if (auto *edit = qobject_cast<QLineEdit *>(o)) {
        store.WriteString(s, n, FromQString(edit->text()));
    } else if (auto *check = qobject_cast<QCheckBox *>(o)) {
        store.WriteBool(s, n, check->isChecked());
    } else if (auto *radio = qobject_cast<QRadioButton *>(o)) {
        store.WriteBool(s, n, radio->isChecked());
    } else if (auto *list = qobject_cast<QListWidget *>(o)) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        writeList(items);
        if (IsCheckList(list))
            for (int i = 0; i < list->count(); ++i)
                store.WriteBool(l, n + "_checked_" + Num(i), list->item(i)->checkState() == Qt::Checked);
        store.WriteInteger(idx, n + "idx", list->currentRow());
    } else if (auto *memo = qobject_cast<QPlainTextEdit *>(o)) {
        writeList(MemoLines(memo));
    } else if (auto *combo = qobject_cast<QComboBox *>(o)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        writeList(items);
        store.WriteInteger(idx, n + "idx", combo->currentIndex());
        if (combo->isEditable()) {
            QString text = combo->currentText();
            store.WriteString(l, n + "_text", FromQString(text));
            if (!text.isEmpty() && combo->findText(text, Qt::MatchExactly) < 0) {
                QSignalBlocker quiet(combo);
                int current = combo->currentIndex();
                combo->addItem(text); // in memory; a later save stores it
                combo->setCurrentIndex(current);
                combo->setEditText(text);
            }
        }
    } else if (auto *bar = qobject_cast<QScrollBar *>(o)) {
        store.WriteInteger(s, n, bar->value());
    } else if (auto *spin = qobject_cast<QSpinBox *>(o)) {
        store.WriteInteger(s, n, spin->value());
    } else if (auto *group = qobject_cast<TRadioGroup *>(o)) {
        store.WriteInteger(s, n, group->ItemIndex());
    }
}

void TQtWinStateBridge::ReadComponentValue(TWinRestorer &store, const std::string &s, TComponent *component)
{
    QObject *o = QtObjectOf(component);
    if (!o)
        return;
    const std::string n = component->Name();
    const std::string l = s + "\\" + n;
    const std::string idx = s + "\\" + n + "idx";
    auto readItems = [&](int count) {
        QStringList items;
        for (int i = 0; i < count; ++i)
            items << ToQString(store.ReadString(l, n + "_" + Num(i), ""));
        return items;
    };

    if (auto *tabs = qobject_cast<QTabWidget *>(o)) {
        QString current = tabs->currentWidget() ? tabs->currentWidget()->objectName() : QString();
        QString name = ToQString(store.ReadString(s, n, FromQString(current)));
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->objectName() == name) { // case counts
                tabs->setCurrentIndex(i);
                break;
            }
    } else if (auto *slider = qobject_cast<QSlider *>(o)) {
        slider->setValue(store.ReadInteger(s, n, slider->value()));
    } else if (auto *tree = qobject_cast<QTreeWidget *>(o)) {
        int count = store.ReadInteger(l, n + "_Count", 0);
        for (int i = 0; i < count; ++i) { // appended: items already there stay
            auto *item = new QTreeWidgetItem(tree);
            item->setText(0, ToQString(store.ReadString(l, n + "_" + Num(i), "")));
            int subs = store.ReadInteger(l, n + "_SubCount" + Num(i), 0);
            for (int j = 0; j < subs; ++j)
                item->setText(j + 1, ToQString(store.ReadString(l, "Sub_" + n + Num(i) + "_" + Num(j), "")));
        }
    } else if (auto *grid = qobject_cast<QTableView *>(o)) {
        QSqlTableModel *model = ActiveTable(grid);
        if (!model)
            return;
        int count = store.ReadInteger(l, n + "_Count", 0);
        if (count == 0)
            return;
        TUpdatesSuspended suspended(grid);
        QHeaderView *header = grid->horizontalHeader();
        for (int c = 0; c < header->count(); ++c)
            grid->setColumnHidden(c, true);
        int position = 0;
        for (int i = 0; i < count; ++i) {
            const std::string c = s + "\\" + n + "_" + Num(i);
            try {
                QString title = ToQString(store.ReadString(c, "Title", "Titel"));
                int width = store.ReadInteger(c, "Width", 80);
                int logical = model->record().indexOf(ToQString(store.ReadString(c, "Field", "")));
                if (logical < 0)
                    continue; // no such field: no column
                grid->setColumnHidden(logical, false);
                header->moveSection(header->visualIndex(logical), position++);
                grid->setColumnWidth(logical, width);
                model->setHeaderData(logical, Qt::Horizontal, title);
            } catch (const std::exception &) {
                // one column's error skips the rest of that column only
            }
        }
    } else if (auto *action = qobject_cast<QAction *>(o)) {
        if (action->isCheckable())
            action->setChecked(store.ReadBool(s, n, action->isChecked()));
    } else if (auto *edit = qobject_cast<QLineEdit *>(o)) {
        edit->setText(ToQString(store.ReadString(s, n, FromQString(edit->text()))));
    } else if (auto *check = qobject_cast<QCheckBox *>(o)) {
        check->setChecked(store.ReadBool(s, n, check->isChecked()));
    } else if (auto *radio = qobject_cast<QRadioButton *>(o)) {
        radio->setChecked(store.ReadBool(s, n, radio->isChecked()));
    } else if (auto *list = qobject_cast<QListWidget *>(o)) {
        if (IsCheckList(list)) {
            int count = store.ReadInteger(l, n + "_Count", 0);
            if (count > 0) {
                QStringList items = readItems(count);
                list->clear();
                for (int i = 0; i < count; ++i) {
                    auto *item = new QListWidgetItem(items[i], list);
                    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                    item->setCheckState(store.ReadBool(l, n + "_checked_" + Num(i), false) ? Qt::Checked : Qt::Unchecked);
                }
            }
            list->setCurrentRow(store.ReadInteger(idx, n + "idx", list->currentRow()));
        } else if (store.ValueExists(l, n + "_Count")) {
            TUpdatesSuspended suspended(list);
            list->clear();
            list->addItems(readItems(store.ReadInteger(l, n + "_Count", 0)));
            list->setCurrentRow(store.ReadInteger(idx, n + "idx", list->currentRow()));
        }
    } else if (auto *memo = qobject_cast<QPlainTextEdit *>(o)) {
        if (store.ValueExists(l, n + "_Count")) {
            TUpdatesSuspended suspended(memo);
            memo->clear();
            memo->setPlainText(readItems(store.ReadInteger(l, n + "_Count", 0)).join(QLatin1Char('\n')));
        }
    } else if (auto *combo = qobject_cast<QComboBox *>(o)) {
        if (store.ValueExists(l, n + "_Count")) {
            TUpdatesSuspended suspended(combo);
            QStringList items = readItems(store.ReadInteger(l, n + "_Count", 0));
            int current = combo->currentIndex();
            combo->clear();
            combo->addItems(items);
            combo->setCurrentIndex(store.ReadInteger(idx, n + "idx", current));
            if (combo->isEditable() && combo->currentText().isEmpty())
                combo->setEditText(ToQString(store.ReadString(l, n + "_text", "")));
        }
    } else if (auto *bar = qobject_cast<QScrollBar *>(o)) {
        bar->setValue(store.ReadInteger(s, n, bar->value()));
    } else if (auto *spin = qobject_cast<QSpinBox *>(o)) {
        spin->setValue(store.ReadInteger(s, n, spin->value()));
    } else if (auto *group = qobject_cast<TRadioGroup *>(o)) {
        group->SetItemIndex(store.ReadInteger(s, n, group->ItemIndex()));
    }
}

void InstallQtWinStateBridge()
{
    SetWinStateBridgeFactory([](TForm &form) -> std::unique_ptr<TWinStateBridge> {
        if (auto *widget = dynamic_cast<QWidget *>(&form))
            return std::make_unique<TQtWinStateBridge>(widget);
        return nullptr;
    });
}

// --- the start-up check box ------------------------------------------------------------------

TQtCheckBoxLink::TQtCheckBoxLink(TComponent *owner, QCheckBox *box)
    : TStoreCheckBox(owner)
    , FBox(box)
{
    SetName(FromQString(box->objectName()));
    QObject::connect(box, &QObject::destroyed, &FWatch, [this] {
        if (Owner())
            Owner()->Notification(this, TOperation::opRemove); // the store forgets us
    });
}

bool TQtCheckBoxLink::Checked() const
{
    return FBox && FBox->isChecked();
}

void TQtCheckBoxLink::SetChecked(bool checked)
{
    if (FBox)
        FBox->setChecked(checked);
}

bool TQtCheckBoxLink::SameControl(const TComponent *component) const
{
    return component == this || (FBox && QtObjectOf(component) == FBox.data());
}
