#include "gui/JpegImage.h"
#include "gui/SplashWindow.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

using namespace pell;

class SplashWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { gui::initResources(); }

    void builtInPictureDecodes()
    {
        const QImage picture = gui::jpegResource(QStringLiteral(":/pell/resources/splash.jpg"));
        QCOMPARE(picture.size(), QSize(374, 215));
        // Not a flat fill: the picture has its gradient and lettering.
        QVERIFY(picture.pixel(5, 5) != picture.pixel(187, 80));
    }

    void brokenPicturesGiveNoImageAndNoCrash()
    {
        QFile file(QStringLiteral(":/pell/resources/splash.jpg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray good = file.readAll();

        QVERIFY(gui::decodeJpeg(QByteArray()).isNull());
        QVERIFY(gui::decodeJpeg(QByteArray("not a picture at all")).isNull());
        QVERIFY(gui::decodeJpeg(good.left(100)).isNull());
        QByteArray scrambled = good;
        for (int i = 600; i < scrambled.size(); i += 7)
            scrambled[i] = char(0xff);
        gui::decodeJpeg(scrambled); // whatever comes out, it must not end the program
        // A file cut in the middle of its picture data keeps what was decoded.
        QCOMPARE(gui::decodeJpeg(good.left(good.size() / 2)).size(), QSize(374, 215));
    }

    void isABorderlessCentredWindowThatClosesAfterItsTime()
    {
        gui::SplashWindow splash;
        QCOMPARE(splash.size(), QSize(374, 215));
        QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(splash.geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
        QVERIFY(!splash.picture().isNull());
        splash.showFor(std::chrono::milliseconds(0));
        QVERIFY(!splash.isVisible());
    }
};

QTEST_MAIN(SplashWindowTest)
#include "SplashWindowTest.moc"
