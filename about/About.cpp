#include "about/About.h"

#include "component/OrbTranslate.h"
#include "about/VerInfo.h"
#include "ui_About.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLocale>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QScreen>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

const QString kLogo = u":/about/logo_animated.gif"_s;
// The frame the logo shows before it starts moving.
constexpr int kLogoFirstFrame = 7;

// The format with each "%s" or "%d" replaced by the next argument and "%%" by "%". The format
// may come from a dictionary: a placeholder without an argument stays as it is rather than
// failing, and other "%" sequences are left alone.
QString formatted(const QString& format, const QStringList& arguments)
{
    QString result;
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        const QChar kind = i + 1 < format.size() ? format.at(i + 1) : QChar();
        if (c == u'%' && kind == u'%') {
            result += u'%';
            ++i;
        } else if (c == u'%' && (kind == u's' || kind == u'd') && next < arguments.size()) {
            result += arguments.at(next++);
            ++i;
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace

TAboutBox::TAboutBox(const TVerInfoRes* verInfo, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::AboutBox>()), FVerInfo(verInfo)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    for (QLabel* label : {ui->lblProductName, ui->lblVersion}) {
        QFont font = label->font();
        font.setBold(true);
        font.setPixelSize(13);
        label->setFont(font);
    }
    ui->lblWWW->setText(orb::makerWebAddress());

    FLogo = new QMovie(kLogo, QByteArray(), this);
    // The GIF reader cannot seek; only with every frame cached can the movie start at one
    // other than the first.
    FLogo->setCacheMode(QMovie::CacheAll);
    ui->gifVarnokLogo->setMovie(FLogo);
    FLogo->jumpToFrame(kLogoFirstFrame);

    ui->PaintBox->installEventFilter(this);
    ui->lblWWW->installEventFilter(this);
    connect(ui->actBrowseURL, &QAction::triggered, this, &TAboutBox::actBrowseURLExecute);
    connect(this, &QDialog::finished, this, &TAboutBox::FormClose);

    // Moving it here, before the first show, keeps Qt from centring it over its owner instead.
    if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->PaintBox && event->type() == QEvent::Paint) {
        PaintBoxPaint();
        return true;
    }
    if (watched == ui->lblWWW
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        // Taking the press makes the label, not the panel under it, receive the release;
        // a click counts when the button is released over the label, as with a button.
        if (event->type() == QEvent::MouseButtonRelease
            && ui->lblWWW->rect().contains(mouse->position().toPoint()))
            lblWWWClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::FormShow()
{
    const QString productVersion = FVerInfo ? FVerInfo->GetVerValue(orb::vkProductVersion) : QString();
    const int build = FVerInfo ? FVerInfo->GetFileBuild() : 0;
    const QString file = FVerInfo ? FVerInfo->FileName() : QCoreApplication::applicationFilePath();
    const QString built = QLocale::system().toString(QFileInfo(file).lastModified(),
                                                     QLocale::ShortFormat);

    ui->lblProductName->setText(FVerInfo ? FVerInfo->GetVerValue(orb::vkFileDescription) : QString());
    ui->lblVersion->setText(formatted(Translate(u"Версия  %s"_s), {productVersion}));
    ui->lblBuild->setText(formatted(Translate(u"Сборка: %d от %s"_s),
                                    {QString::number(build), built}));
    FLogo->start();
}

void TAboutBox::FormClose()
{
    FLogo->stop();
}

void TAboutBox::PaintBoxPaint()
{
    QPainter painter(ui->PaintBox);
    const QPalette& palette = ui->PaintBox->palette();
    const int width = ui->PaintBox->width();
    const int height = ui->PaintBox->height();
    painter.fillRect(ui->PaintBox->rect(), palette.color(QPalette::Button));
    painter.setPen(QPen(palette.color(QPalette::Light), 3));
    painter.drawPolyline(QList<QPoint>{{0, height}, {0, 0}, {width, 0}});
    painter.setPen(QPen(palette.color(QPalette::Dark), 1));
    painter.drawPolyline(QList<QPoint>{{0, height - 2}, {0, 0}, {width - 1, 0}});
}

void TAboutBox::lblWWWClick()
{
    ui->actBrowseURL->trigger();
}

void TAboutBox::actBrowseURLExecute()
{
    orb::openMakerWebSite();
}

QString orb::makerWebAddress()
{
    return u"www.varnok.example.org"_s;
}

void orb::openMakerWebSite()
{
    QDesktopServices::openUrl(QUrl(u"https://"_s + makerWebAddress()));
}

void ShowAboutBox(QWidget* owner)
{
    TAboutBox box(orb::programVerInfo(), owner);
    box.exec();
}
