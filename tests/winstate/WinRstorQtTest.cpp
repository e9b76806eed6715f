// SPDX-License-Identifier: GPL-3.0-or-later
#include "WinstateTestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/Application.h"
#include "toolkit/QtForm.h"
#include "winstate/RadioGroup.h"
#include "winstate/WinRstorQt.h"

namespace {

template <class T>
T *Named(QWidget *parent, const char *name, T *w)
{
    w->setObjectName(QString::fromLatin1(name));
    parent->layout()->addWidget(w);
    return w;
}

/// A dialog of class TForm1 with one control of every kind the store handles.
class TForm1 : public TQtForm<QDialog>
{
public:
    explicit TForm1(std::shared_ptr<TRegistryStore> registry, const std::string &iniFile)
    {
        new QVBoxLayout(this);
        wr = new TWinRestorer(this, std::move(registry));
        wr->SetName("wr");
        pcPages = Named(this, "pcPages", new QTabWidget);
        for (const char *page : {"tsOne", "tsTwo"}) {
            auto *w = new QWidget;
            w->setObjectName(QString::fromLatin1(page));
            pcPages->addTab(w, QString::fromLatin1(page));
        }
        tbLevel = Named(this, "tbLevel", new QSlider(Qt::Horizontal));
        lvFiles = Named(this, "lvFiles", new QTreeWidget);
        lvFiles->setColumnCount(3);
        miChecked = new QAction(this);
        miChecked->setObjectName("miChecked");
        miChecked->setCheckable(true);
        edPath = Named(this, "edPath", new QLineEdit);
        cbOption = Named(this, "cbOption", new QCheckBox);
        rbFirst = Named(this, "rbFirst", new QRadioButton);
        clbDrives = Named(this, "clbDrives", new QListWidget);
        clbDrives->setProperty("checkList", true);
        lbFiles = Named(this, "lbFiles", new QListWidget);
        mmNotes = Named(this, "mmNotes", new QPlainTextEdit);
        cbChoice = Named(this, "cbChoice", new QComboBox);
        cbChoice->setEditable(true);
        sbScroll = Named(this, "sbScroll", new QScrollBar(Qt::Horizontal));
        seCount = Named(this, "seCount", new QSpinBox);
        seCount->setRange(0, 1000);
        rgMode = Named(this, "rgMode", new TRadioGroup);
        rgMode->SetItems({"a", "b", "c"});
        dgTable = Named(this, "dgTable", new QTableView);
        auto *bridge = new TQtWinStateBridge(this);
        bridge->QtPlacement().SetMonitorSource([] { return std::vector<TMonitorBounds>{{0, 0, 1280, 1024}}; });
        wr->SetBridge(std::unique_ptr<TWinStateBridge>(bridge));
        wr->SetFileName(iniFile);
        auto handler = [](TObject *, TComponent *, std::string &, std::string) { return true; };
        wr->SetOnSaveComponentValue(handler);
        wr->SetOnReadComponentValue(handler);
    }
    std::string ClassName() const override { return "TForm1"; }

    TWinRestorer *wr;
    QTabWidget *pcPages;
    QSlider *tbLevel;
    QTreeWidget *lvFiles;
    QAction *miChecked;
    QLineEdit *edPath;
    QCheckBox *cbOption;
    QRadioButton *rbFirst;
    QListWidget *clbDrives;
    QListWidget *lbFiles;
    QPlainTextEdit *mmNotes;
    QComboBox *cbChoice;
    QScrollBar *sbScroll;
    QSpinBox *seCount;
    TRadioGroup *rgMode;
    QTableView *dgTable;
};

class WinRstorQt : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Registry = std::make_shared<TRegistryStore>(TRegistryPlaces{Dir / "user", Dir / "machine", Dir / "as"});
    }
    std::string Ini() const { return Dir / "App.INI"; }
    TTempDir Dir;
    std::shared_ptr<TRegistryStore> Registry;
};

} // namespace

TEST_F(WinRstorQt, ListBoxExampleSavesTheDocumentedValues)
{
    TForm1 form(Registry, Ini());
    form.lbFiles->addItems({"a", "b"});
    form.lbFiles->setCurrentRow(1);
    form.wr->SaveComponents();
    TIniFile ini(Ini());
    EXPECT_EQ(ini.ReadSectionValues("TForm1_Controls\\lbFiles"),
        (std::vector<std::string>{"lbFiles_Count=2", "lbFiles_0=a", "lbFiles_1=b"}));
    EXPECT_EQ(ini.ReadSectionValues("TForm1_Controls\\lbFilesidx"), (std::vector<std::string>{"lbFilesidx=1"}));
}

TEST_F(WinRstorQt, EveryControlRoundTrips)
{
    {
        TForm1 form(Registry, Ini());
        form.pcPages->setCurrentIndex(1);
        form.tbLevel->setValue(42);
        auto *item = new QTreeWidgetItem(form.lvFiles, QStringList{"file", "12 KB", "C:\\"});
        (void)item;
        form.miChecked->setChecked(true);
        form.edPath->setText("  /home/user  ");
        form.cbOption->setChecked(true);
        form.rbFirst->setChecked(true);
        for (const char *d : {"C:", "D:"}) {
            auto *it = new QListWidgetItem(QString::fromLatin1(d), form.clbDrives);
            it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
            it->setCheckState(Qt::Unchecked);
        }
        form.clbDrives->item(1)->setCheckState(Qt::Checked);
        form.clbDrives->setCurrentRow(1);
        form.lbFiles->addItems({"x", "y", "z"});
        form.lbFiles->setCurrentRow(2);
        form.mmNotes->setPlainText("line one\nline two");
        form.cbChoice->addItems({"alpha", "beta"});
        form.cbChoice->setCurrentIndex(-1);
        form.cbChoice->setEditText("typed");
        form.sbScroll->setValue(7);
        form.seCount->setValue(35);
        form.rgMode->SetItemIndex(2);
        form.wr->SaveComponents();
        // the typed combo text joined the items in memory
        EXPECT_EQ(form.cbChoice->count(), 3);
    }
    TIniFile ini(Ini());
    EXPECT_EQ(ini.ReadInteger("TForm1_Controls", "seCount", 0), 35); // a spin edit by its value
    EXPECT_EQ(ini.ReadString("TForm1_Controls\\lbFiles", "lbFiles_Count", ""), "3");
    EXPECT_EQ(ini.ReadString("TForm1_Controls\\mmNotes", "mmNotes_1", ""), "line two"); // a memo by its lines
    EXPECT_EQ(ini.ReadString("TForm1_Controls\\lvFiles", "Sub_lvFiles0_1", ""), "C:\\");
    EXPECT_TRUE(ini.ReadBool("TForm1_Controls\\clbDrives", "clbDrives_checked_1", false));

    TForm1 form(Registry, Ini());
    form.wr->RestoreComponents();
    EXPECT_EQ(form.pcPages->currentWidget()->objectName(), "tsTwo");
    EXPECT_EQ(form.tbLevel->value(), 42);
    ASSERT_EQ(form.lvFiles->topLevelItemCount(), 1);
    EXPECT_EQ(form.lvFiles->topLevelItem(0)->text(0), "file");
    EXPECT_EQ(form.lvFiles->topLevelItem(0)->text(2), "C:\\");
    EXPECT_TRUE(form.miChecked->isChecked());
    EXPECT_EQ(form.edPath->text(), "  /home/user  ");
    EXPECT_TRUE(form.cbOption->isChecked());
    EXPECT_TRUE(form.rbFirst->isChecked());
    ASSERT_EQ(form.clbDrives->count(), 2);
    EXPECT_EQ(form.clbDrives->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(form.clbDrives->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(form.clbDrives->currentRow(), 1);
    EXPECT_EQ(form.lbFiles->count(), 3);
    EXPECT_EQ(form.lbFiles->currentRow(), 2);
    EXPECT_EQ(form.mmNotes->toPlainText(), "line one\nline two");
    EXPECT_EQ(form.cbChoice->count(), 2); // the items as saved; the typed text was not among them yet
    EXPECT_EQ(form.cbChoice->currentIndex(), -1);
    EXPECT_EQ(form.cbChoice->currentText(), "typed");
    EXPECT_EQ(form.sbScroll->value(), 7);
    EXPECT_EQ(form.seCount->value(), 35);
    EXPECT_EQ(form.rgMode->ItemIndex(), 2);

    // Reading a list view again appends its stored items again.
    form.wr->RestoreComponents();
    EXPECT_EQ(form.lvFiles->topLevelItemCount(), 2);
}

TEST_F(WinRstorQt, MissingOrEmptyStoredListsKeepTheDesign)
{
    WriteText(Ini(), "[TForm1_Controls\\clbDrives]\nclbDrives_Count=0\n[TForm1_Controls\\clbDrivesidx]\nclbDrivesidx=1\n"
                     "[TForm1_Controls]\npcPages=tsNone\n[TForm1_Controls\\cbChoice]\ncbChoice_Count=1\ncbChoice_0=one\n"
                     "cbChoice_text=stored\n[TForm1_Controls\\cbChoiceidx]\ncbChoiceidx=0\n");
    TForm1 form(Registry, Ini());
    form.mmNotes->setPlainText("designed");
    form.lbFiles->addItems({"designed"});
    form.clbDrives->addItems({"C:", "D:"});
    form.pcPages->setCurrentIndex(1);
    form.wr->RestoreComponents();
    EXPECT_EQ(form.mmNotes->toPlainText(), "designed");
    EXPECT_EQ(form.lbFiles->count(), 1);
    EXPECT_EQ(form.clbDrives->count(), 2); // count 0: entries kept, index taken
    EXPECT_EQ(form.clbDrives->currentRow(), 1);
    EXPECT_EQ(form.pcPages->currentIndex(), 1); // no page of that name
    EXPECT_EQ(form.cbChoice->currentText(), "one"); // an entry is selected: it shows, not the stored text
}

TEST_F(WinRstorQt, DataGridColumns)
{
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "winstate-grid");
    db.setDatabaseName(QString::fromStdString(Dir / "grid.db"));
    ASSERT_TRUE(db.open());
    QSqlQuery(db).exec("create table files (name text, size integer, folder text)");
    {
        TForm1 form(Registry, Ini());
        auto *model = new QSqlTableModel(&form, db);
        model->setTable("files");
        model->select();
        form.dgTable->setModel(model);
        form.dgTable->setColumnHidden(1, true);
        form.dgTable->horizontalHeader()->moveSection(2, 0); // folder, name
        form.dgTable->setColumnWidth(2, 150);
        model->setHeaderData(2, Qt::Horizontal, "Folder");
        form.wr->SaveComponents();
    }
    TIniFile ini(Ini());
    EXPECT_EQ(ini.ReadInteger("TForm1_Controls\\dgTable", "dgTable_Count", 0), 2);
    EXPECT_EQ(ini.ReadSectionValues("TForm1_Controls\\dgTable_0"),
        (std::vector<std::string>{"Width=150", "Field=folder", "Title=Folder"}));
    EXPECT_EQ(ini.ReadString("TForm1_Controls\\dgTable_1", "Field", ""), "name");
    {
        TForm1 form(Registry, Ini());
        auto *model = new QSqlTableModel(&form, db);
        model->setTable("files");
        model->select();
        form.dgTable->setModel(model);
        form.wr->RestoreComponents();
        QHeaderView *h = form.dgTable->horizontalHeader();
        EXPECT_EQ(h->logicalIndex(0), 2);
        EXPECT_EQ(h->logicalIndex(1), 0);
        EXPECT_TRUE(form.dgTable->isColumnHidden(1));
        EXPECT_EQ(form.dgTable->columnWidth(2), 150);
        EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "Folder");
    }
    {
        // A grid whose table is not open is not restored.
        TForm1 form(Registry, Ini());
        auto *model = new QSqlTableModel(&form, db);
        form.dgTable->setModel(model);
        form.wr->RestoreComponents();
        EXPECT_EQ(form.dgTable->horizontalHeader()->count(), 0);
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("winstate-grid");
}

TEST_F(WinRstorQt, GeometryOfARealWindow)
{
    WriteText(Ini(), "[WindowsRestorer]\nTForm1_Top=100\nTForm1_Left=200\nTForm1_Width=500\nTForm1_Height=300\n"
                     "TForm1_WindowState=2\n");
    TForm1 form(Registry, Ini());
    form.wr->Loaded();
    form.wr->SetFileName(Ini()); // Loaded put the INI next to the test program
    form.wr->RestoreGeometry(&form, STWhatSave::All());
    EXPECT_EQ(form.pos(), QPoint(200, 100));
    EXPECT_EQ(form.size(), QSize(500, 300));
    EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);

    form.setWindowState(Qt::WindowNoState);
    form.move(-8, 20);
    form.wr->SaveGeometry(&form, STWhatSave::All());
    TIniFile ini(Ini());
    EXPECT_EQ(ini.ReadInteger("WindowsRestorer", "TForm1_Left", 99), 0);
    EXPECT_EQ(ini.ReadInteger("WindowsRestorer", "TForm1_Top", 99), 20);
    EXPECT_EQ(ini.ReadInteger("WindowsRestorer", "TForm1_Monitor", 99), 0);
    EXPECT_EQ(ini.ReadInteger("WindowsRestorer", "TForm1_WindowState", 99), 0);
    EXPECT_FALSE(QtMonitors().empty());
}

TEST_F(WinRstorQt, CancelRevertsTheStillOpenDialog)
{
    WriteText(Ini(), "[TForm1_Controls]\nedPath=stored\n");
    TForm1 form(Registry, Ini());
    form.wr->Loaded();
    form.wr->SetFileName(Ini());
    form.DoCreate();
    EXPECT_EQ(form.edPath->text(), "stored");
    auto closeWith = [&form](int result) {
        QTimer::singleShot(0, &form, [&form, result] {
            form.edPath->setText("edited");
            form.SetModalResult(result);
        });
        return form.ShowModal();
    };
    EXPECT_EQ(closeWith(mrCancel), mrCancel);
    EXPECT_EQ(form.wr->CloseResult(), mrCancel);
    EXPECT_EQ(form.edPath->text(), "stored"); // read back from the store
    EXPECT_EQ(closeWith(mrOk), mrOk);
    EXPECT_EQ(form.edPath->text(), "edited");
    EXPECT_EQ(TIniFile(Ini()).ReadString("TForm1_Controls", "edPath", ""), "edited");
}

TEST_F(WinRstorQt, AutoCheckBoxFollowsTheRegistrationAndIsNotAComponentValue)
{
    TForm1 form(Registry, Ini());
    auto *box = Named(&form, "cbAutostart", new QCheckBox);
    auto *link = new TQtCheckBoxLink(&form, box);
    form.wr->SetAutoCheckBox(link);
    std::vector<std::string> asked;
    form.wr->SetOnSaveComponentValue([&](TObject *, TComponent *c, std::string &, std::string ident) {
        asked.push_back(ident);
        return c != nullptr;
    });
    form.wr->Loaded();
    form.wr->SetFileName(Ini());
    form.DoCreate();
    EXPECT_FALSE(box->isChecked());
    box->setChecked(true);
    form.DoClose();
    EXPECT_TRUE(form.wr->IsAutostart(false));
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "cbAutostart"), 0);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "edPath"), 1);
    delete box;
    EXPECT_EQ(form.wr->AutoCheckBox(), nullptr);
    form.wr->SetAutostart(false, false, "");
}
