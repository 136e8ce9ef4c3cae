#include "gui/InfoForm.h"
#include "gui/JpegImage.h"

#include "gui/GuiFakes.h"

#include <QLabel>
#include <QtTest>

using namespace pell;

class InfoFormTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { gui::initResources(); }

    void isAFixedSizeBoxWithNameAddressAndContact()
    {
        test::RecordingDesktop desktop;
        gui::InfoForm info(desktop);
        QCOMPARE(info.windowTitle(), QStringLiteral("Info"));
        QCOMPARE(info.size(), QSize(273, 327));
        QCOMPARE(info.minimumSize(), info.maximumSize());
        QStringList texts;
        for (const QLabel* label : info.findChildren<QLabel*>())
            texts << label->text();
        QVERIFY(texts.contains(QStringLiteral("Pell-IRC")));
        QVERIFY(texts.contains(QString::fromLatin1(gui::InfoForm::WebAddress)));
        QVERIFY(texts.contains(QString::fromLatin1(gui::InfoForm::ContactLine)));
        // The picture at the top came out of the built-in JPEG.
        const auto pictures = info.findChildren<QLabel*>();
        QVERIFY(std::any_of(pictures.begin(), pictures.end(),
                            [](const QLabel* l) { return !l->pixmap().isNull() && l->pixmap().width() == 233; }));
    }

    void aClickOnTheAddressOpensIt()
    {
        test::RecordingDesktop desktop;
        gui::InfoForm info(desktop);
        info.show();
        QVERIFY(QTest::qWaitForWindowExposed(&info));
        QTest::mouseClick(info.addressLabel(), Qt::LeftButton);
        QCOMPARE(desktop.opened, std::vector<std::string>{gui::InfoForm::WebAddress});
    }

    void aDoubleClickDrawsTheWholeFigureUntilTheBoxIsClosed()
    {
        test::RecordingDesktop desktop;
        gui::InfoForm info(desktop);
        info.show();
        QVERIFY(QTest::qWaitForWindowExposed(&info));
        QTest::mouseDClick(info.addressLabel(), Qt::LeftButton);
        QCOMPARE(info.figure()->pointsDrawn(), 6);
        QVERIFY(info.figure()->isVisible());
        QCOMPARE(gui::InfoFigure::Path[0], gui::InfoFigure::Path[5]);

        info.hide();
        QCOMPARE(info.figure()->pointsDrawn(), 0);
        info.show();
        QVERIFY(!info.figure()->isVisible());
    }
};

QTEST_MAIN(InfoFormTest)
#include "InfoFormTest.moc"
