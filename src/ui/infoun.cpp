// SPDX-License-Identifier: GPL-3.0-or-later
#include "infoun.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>

#include <memory>

#include "platform/Application.h"

namespace {

std::unique_ptr<TInfoform> InfoformInstance;

constexpr int ClientWidth = 304;
constexpr int ClientHeight = 136;

} // namespace

TInfoform::TInfoform()
{
    SetName("Infoform");
    setObjectName(QStringLiteral("Infoform"));
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowMinimizeButtonHint);
    SetCaption("Information");
    setFixedSize(ClientWidth, ClientHeight);
    FHeight = ClientHeight + NonClientHeight();

    stopbt = new QPushButton(QStringLiteral("Abbruch"), this);
    stopbt->setObjectName(QStringLiteral("stopbt"));
    stopbt->setGeometry(87, 102, 129, 29);
    QObject::connect(stopbt, &QPushButton::clicked, this, [this] { stopbtClick(); });

    inftext = new QLabel(this);
    inftext->setObjectName(QStringLiteral("inftext"));
    inftext->setGeometry(4, 6, 295, 93);
    inftext->setWordWrap(true);
    inftext->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    inftext->setAttribute(Qt::WA_TranslucentBackground);
    inftext->hide();

    xinfo = new QLabel(QStringLiteral("xxxxxxxxxxx"), this);
    xinfo->setObjectName(QStringLiteral("xinfo"));
    xinfo->setGeometry(6, 38, 291, 57);

    om = new TTextGauge(this, this);
    om->SetName("om");
    om->setObjectName(QStringLiteral("om"));
    om->setGeometry(6, 6, 293, 19);
    om->SetBorderStyle(bsNone);
    om->SetForeColor(Qt::blue);
    om->SetProgress(33);

    Image = new QLabel(this);
    Image->setObjectName(QStringLiteral("Image"));
    Image->setGeometry(4, 6, 51, 31);
    Image->setAlignment(Qt::AlignCenter);
    Image->setScaledContents(true);
    Image->hide();

    SetOnCreate([this](TObject *sender) { FormCreate(sender); });
    FinishCreate();
}

TInfoform::~TInfoform() = default;

void TInfoform::FormCreate(TObject *)
{
    FOnStop = nullptr;
    xinfo->setText(QString());
    xinfo->hide();
}

void TInfoform::SetPicture(const QPixmap &picture)
{
    FPicture = picture;
    Image->setPixmap(picture);
    if (!picture.isNull())
        Image->resize(picture.size()); // automatic size
}

int TInfoform::NonClientHeight() const
{
    int frame = frameGeometry().height() - geometry().height();
    if (isVisible() && frame > 0)
        return frame;
    // Not on screen yet (or a platform without decorations): what the style says a title bar and
    // frame take.
    return style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
}

void TInfoform::SetHeight(int height)
{
    FHeight = height;
    setFixedSize(ClientWidth, std::max(height - NonClientHeight(), 1));
}

void TInfoform::ShowInfo(const std::string &text)
{
    om->hide();
    xinfo->hide();
    inftext->setText(ToQString(text));
    Image->setVisible(FPicture.width() > 0);
    inftext->move(!Image->isHidden() ? Image->x() + Image->width() + 10 : 4, 4);
    inftext->show();
    stopbt->setVisible(static_cast<bool>(FOnStop));
    SetHeight(std::max(Image->height(), inftext->height()) + 20);

    QFontMetrics fm(inftext->font());
    int h = fm.boundingRect(QRect(0, 0, inftext->width(), 0), Qt::TextWordWrap | Qt::TextExpandTabs, inftext->text()).height();
    if (h > inftext->height()) {
        inftext->resize(inftext->width(), h + 20);
        int height = inftext->y() + inftext->height() + 20;
        if (!stopbt->isHidden())
            height += stopbt->y() + stopbt->height() + 10;
        SetHeight(height);
    }
    // The stop button sits at its design place; keep it inside the window when it is offered,
    // or the user could not reach it.
    if (!stopbt->isHidden())
        SetHeight(std::max(FHeight, stopbt->y() + stopbt->height() + 10 + NonClientHeight()));

    auto &app = Application();
    app.ProcessMessages();
    if (!isVisible())
        show();
    repaint();
    app.ProcessMessages();
}

void TInfoform::stopbtClick()
{
    if (FOnStop) {
        auto handler = FOnStop;
        handler(this);
    }
    FOnStop = nullptr;
    close();
}

TInfoform *GetInfoform()
{
    if (!InfoformInstance) {
        InfoformInstance = std::make_unique<TInfoform>();
        InfoformInstance->om->SetProgress(0);
    }
    return InfoformInstance.get();
}

void FreeInfoform()
{
    InfoformInstance.reset();
}

TInfoform *Infoform()
{
    return InfoformInstance.get();
}
