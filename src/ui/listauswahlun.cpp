// SPDX-License-Identifier: GPL-3.0-or-later
#include "listauswahlun.h"

#include <QHBoxLayout>
#include <QStyle>

#include <memory>

namespace {

QWidget *WidgetOf(TComponent *owner)
{
    return dynamic_cast<QWidget *>(owner);
}

} // namespace

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

TListauswahldlg::TListauswahldlg(TComponent *owner)
    : TQtForm<QDialog>(WidgetOf(owner), owner)
{
    SetName("Listauswahldlg");
    setObjectName(QStringLiteral("Listauswahldlg"));
    SetCaption("Auswahl");
    resize(505 - 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth),
           350 - style()->pixelMetric(QStyle::PM_TitleBarHeight));

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(105);
    auto makeButton = [this](const char *name, const QString &caption, int top) {
        auto *b = new QPushButton(caption, Panel1);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(6, top, 93, 23);
        b->setFlat(true);
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };
    ToolbarButton972 = makeButton("ToolbarButton972", QStringLiteral("Ok"), 10);
    ToolbarButton971 = makeButton("ToolbarButton971", QStringLiteral("Abbrechen"), 36);
    ToolbarButton973 = makeButton("ToolbarButton973", QStringLiteral("Hilfe"), 68);
    ToolbarButton972->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    ToolbarButton971->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    ToolbarButton973->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    QObject::connect(ToolbarButton972, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });
    QObject::connect(ToolbarButton971, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });

    CheckListBox1 = new QListWidget(this);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));

    SetOnCreate([this](TObject *sender) { FormCreate(sender); });
    FinishCreate();
}

TListauswahldlg::~TListauswahldlg() = default;

void TListauswahldlg::FormCreate(TObject *)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(CheckListBox1, 1);
    layout->addWidget(Panel1);
}

std::string TListauswahldlg::SelectFromList(TComponent *owner, const std::string &lines, const std::string &separator)
{
    std::string result;
    auto dialog = std::make_unique<TListauswahldlg>(owner);
    for (const auto &line : SplitLines(lines)) {
        auto *item = new QListWidgetItem(ToQString(line), dialog->CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(Qt::UserRole, QByteArray::fromStdString(line)); // the bytes as given
    }
    if (dialog->ShowModal() == mrOk) {
        std::vector<std::string> ticked;
        for (int i = 0; i < dialog->CheckListBox1->count(); ++i) {
            auto *item = dialog->CheckListBox1->item(i);
            if (item->checkState() == Qt::Checked)
                ticked.push_back(item->data(Qt::UserRole).toByteArray().toStdString());
        }
        for (size_t i = 0; i < ticked.size(); ++i) {
            result += ticked[i];
            if (i + 1 < ticked.size() && !separator.empty())
                result += separator;
        }
    }
    return result;
}
