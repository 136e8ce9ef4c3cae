#include "gui/InfoForm.h"

#include "gui/JpegImage.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

namespace pell::gui {

namespace {

const QColor Grey(128, 128, 128);
const QColor Face(104, 106, 112);
const QString AddressStyle = QStringLiteral("color: #bfe0ff; text-decoration: underline;");
constexpr unsigned long FigurePauseMs = 150;

} // namespace

const QPoint InfoFigure::Path[6] = {{70, 50}, {166, 235}, {266, 50}, {30, 170}, {303, 170}, {70, 50}};

InfoFigure::InfoFigure(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void InfoFigure::clear()
{
    points_ = 0;
    hide();
}

void InfoFigure::begin()
{
    points_ = 0;
    resize(parentWidget()->size());
    show();
    raise();
    repaint();
}

void InfoFigure::addPoint()
{
    if (points_ < 6)
        ++points_;
    repaint();
}

void InfoFigure::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRect(QPoint(10, 10), QPoint(248, 323)), Grey);
    painter.setPen(QPen(Qt::red, 1));
    for (int i = 1; i < points_; ++i)
        painter.drawLine(Path[i - 1], Path[i]);
}

InfoForm::InfoForm(platform::Desktop& desktop, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), desktop_(desktop)
{
    setWindowTitle(QStringLiteral("Info"));
    setFixedSize(273, 327);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, Face);
    setPalette(grey);
    setAutoFillBackground(true);

    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap::fromImage(jpegResource(QStringLiteral(":/pell/resources/info.jpg"))));
    picture->setAlignment(Qt::AlignCenter);

    auto* name = new QLabel(QStringLiteral("Pell-IRC"), this);
    QFont large = name->font();
    large.setPointSize(28);
    large.setBold(true);
    name->setFont(large);
    name->setStyleSheet(QStringLiteral("color: white;"));
    name->setAlignment(Qt::AlignCenter);

    address_ = new QLabel(QString::fromLatin1(WebAddress), this);
    address_->setStyleSheet(AddressStyle);
    address_->setAlignment(Qt::AlignCenter);
    address_->setCursor(Qt::PointingHandCursor);
    address_->installEventFilter(this);

    auto* contact = new QLabel(QString::fromLatin1(ContactLine), this);
    contact->setAlignment(Qt::AlignCenter);
    contact->setStyleSheet(QStringLiteral("color: #e8e8e8;"));

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 14);
    layout->addWidget(picture);
    layout->addSpacing(6);
    layout->addWidget(name);
    layout->addStretch();
    layout->addWidget(address_);
    layout->addWidget(contact);
    layout->addStretch();
    layout->addWidget(ok_, 0, Qt::AlignHCenter);

    figure_ = new InfoFigure(this);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

bool InfoForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == address_) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            drawFigure();
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            desktop_.openUrl(WebAddress);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void InfoForm::drawFigure()
{
    address_->setStyleSheet(QStringLiteral("color: #bfe0ff; background: rgb(128,128,128);"));
    figure_->begin();
    ok_->raise();
    // A pause before the first point and before each of the last four lines.
    for (int point = 0; point < 6; ++point) {
        if (point != 1)
            QThread::msleep(FigurePauseMs);
        figure_->addPoint();
    }
}

void InfoForm::hideEvent(QHideEvent* event)
{
    figure_->clear();
    address_->setStyleSheet(AddressStyle);
    QDialog::hideEvent(event);
}

} // namespace pell::gui
