#include "gui/DisplayLine.h"
#include "gui/TextDecoding.h"
#include "gui/TextView.h"
#include "session/LineFormatter.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include <set>

using namespace pell;
using namespace pell::gui;

namespace {

constexpr session::Rgb Black = session::RgbColour(0, 0, 0);
constexpr session::Rgb Blue = session::RgbColour(0, 0, 0xFF);

// A view over lines the test owns, sized and flushed so it can be painted and clicked.
struct Shown {
    session::FormattedText text;
    TextView view;

    explicit Shown(const std::vector<std::string>& lines, session::Rgb colour = Black)
    {
        for (const auto& line : lines)
            text.Append(session::FormatLine(line, colour));
        view.resize(700, 240);
        view.setLines(&text);
        view.show();
        view.flushAppends();
    }
    int middleOf(int row) const { return row * view.lineHeight() + view.lineHeight() / 2; }
};

int countColour(const QImage& image, QColor colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour;
    return count;
}

} // namespace

class TextViewTest : public QObject {
    Q_OBJECT
private slots:
    void decodesUtf8ElseLatin1PerLine();
    void runsKeepTheirColoursAndAttributes();
    void paintsStoredColours();
    void dragSelectsAndCopies();
    void doubleClickSelectsAWord();
    void linksOnlyForAllowedSchemes();
    void clickOpensLinkButDragDoesNot();
    void receivedHtmlStaysLiteral();
    void staysPinnedUnlessScrolledUp();
    void clearEmptiesTheView();
};

void TextViewTest::decodesUtf8ElseLatin1PerLine()
{
    const struct {
        std::string bytes;
        QString shown;
    } cases[] = {
        {"plain", "plain"},
        {"gr\xC3\xBC\xC3\x9F", QString::fromUtf8("grüß")},
        {"gr\xFC\xDF", QString::fromUtf8("grüß")},                 // Latin-1
        {"\xC3\xBC and \xFC", QString::fromUtf8("Ã¼ and ü")},     // one bad byte: whole line Latin-1
        {"\xF0\x9F\x98\x80", QString::fromUtf8("\xF0\x9F\x98\x80")}, // outside the basic plane
    };
    for (const auto& c : cases)
        QCOMPARE(DecodeLine(c.bytes), c.shown);
    // A bold code inside a UTF-8 character does not break it.
    const DisplayLine split = BuildDisplayLine(session::FormatLine("a\xC3\x02\xBC" "b", Black));
    QCOMPARE(split.Text, QString::fromUtf8("aüb"));
}

void TextViewTest::runsKeepTheirColoursAndAttributes()
{
    // a, bold b, c in red underlined; then the line starts over in its own colour.
    const DisplayLine line = BuildDisplayLine(session::FormatLine("a\x02" "b\x02\x03" "4\x1F" "c\xF0\x9F\x98\x80x", Blue));
    QCOMPARE(line.Text, QString::fromUtf8("abc\xF0\x9F\x98\x80x"));
    QCOMPARE(line.Formats.size(), 3);
    const struct {
        int start, length;
        QColor colour;
        bool bold, underline;
    } expected[] = {
        {0, 1, QColor(0, 0, 255), false, false},
        {1, 1, QColor(0, 0, 255), true, false},
        {2, 4, QColor(255, 0, 0), false, true},
    };
    for (int i = 0; i < 3; ++i) {
        const auto& range = line.Formats[i];
        const auto& want = expected[i];
        QCOMPARE(range.start, want.start);
        QCOMPARE(range.length, want.length);
        QCOMPARE(range.format.foreground().color(), want.colour);
        QCOMPARE(range.format.fontWeight() == QFont::Bold, want.bold);
        QCOMPARE(range.format.fontUnderline(), want.underline);
    }
    // Control bytes other than the codes show as visible pictures, one each.
    QCOMPARE(BuildDisplayLine(session::FormatLine("a\x01" "b", Black)).Text, QString::fromUtf8("a\u2401b"));
}

void TextViewTest::paintsStoredColours()
{
    Shown shown({"\x03" "4MMMMMMMMMMMMMMMM", "\x03" "9MMMMMMMMMMMMMMMM", "MMMMMMMMMMMMMMMM"}, Blue);
    const QImage image = shown.view.viewport()->grab().toImage();
    const int rowHeight = shown.view.lineHeight();
    const QImage red = image.copy(0, 0, image.width(), rowHeight);
    const QImage lime = image.copy(0, rowHeight, image.width(), rowHeight);
    const QImage blue = image.copy(0, 2 * rowHeight, image.width(), rowHeight);
    QVERIFY(countColour(red, Qt::red) > 20);
    QCOMPARE(countColour(red, QColor(0, 255, 0)), 0);
    QVERIFY(countColour(lime, QColor(0, 255, 0)) > 20);
    QVERIFY(countColour(blue, Qt::blue) > 20);
    QCOMPARE(countColour(blue, Qt::red), 0);
}

void TextViewTest::dragSelectsAndCopies()
{
    Shown shown({"<bob>:first line", "<amy>:\x02second\x02 line", "<cy>:third"});
    QWidget* port = shown.view.viewport();
    QTest::mousePress(port, Qt::LeftButton, {}, QPoint(1, shown.middleOf(0)));
    QTest::mouseMove(port, QPoint(600, shown.middleOf(1)));
    QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(600, shown.middleOf(1)));
    QCOMPARE(shown.view.selectedText(), QString("<bob>:first line\n<amy>:second line"));
    QTest::keyClick(&shown.view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("<bob>:first line\n<amy>:second line"));
    QTest::keyClick(&shown.view, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(shown.view.selectedText(), QString("<bob>:first line\n<amy>:second line\n<cy>:third"));
}

void TextViewTest::doubleClickSelectsAWord()
{
    Shown shown({"<bob>:hello world"});
    const int x = 3 + QFontMetrics(shown.view.font()).horizontalAdvance("<bob>:hello wo");
    QTest::mouseDClick(shown.view.viewport(), Qt::LeftButton, {}, QPoint(x, shown.middleOf(0)));
    QCOMPARE(shown.view.selectedText(), QString("world"));
}

void TextViewTest::linksOnlyForAllowedSchemes()
{
    Shown shown({"<bob>:a http://a.org/x b file:///etc/passwd c javascript:alert(1) d www.b.de e ftp://f.net "
                 "mailto:m@x.org f smb://s/t"});
    std::set<QString> found;
    for (int x = 0; x < shown.view.viewport()->width(); ++x)
        if (const auto url = shown.view.linkAt(QPoint(x, shown.middleOf(0))))
            found.insert(url->toString());
    QCOMPARE(found, (std::set<QString>{"http://a.org/x", "http://www.b.de", "ftp://f.net", "mailto:m@x.org"}));
    QVERIFY(!shown.view.linkAt(QPoint(5, shown.middleOf(1))));
}

void TextViewTest::clickOpensLinkButDragDoesNot()
{
    Shown shown({"see http://a.org/x now"});
    const int x = 3 + QFontMetrics(shown.view.font()).horizontalAdvance("see http://a.");
    const QPoint onLink(x, shown.middleOf(0));
    QVERIFY(shown.view.linkAt(onLink));
    QSignalSpy opened(&shown.view, &TextView::linkActivated);
    QTest::mouseClick(shown.view.viewport(), Qt::LeftButton, {}, onLink);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.at(0).at(0).toUrl(), QUrl("http://a.org/x"));

    QTest::mousePress(shown.view.viewport(), Qt::LeftButton, {}, onLink);
    QTest::mouseMove(shown.view.viewport(), QPoint(1, shown.middleOf(0)));
    QTest::mouseRelease(shown.view.viewport(), Qt::LeftButton, {}, QPoint(1, shown.middleOf(0)));
    QCOMPARE(opened.size(), 1);
    QCOMPARE(shown.view.selectedText(), QString("see http://a."));
}

void TextViewTest::receivedHtmlStaysLiteral()
{
    const QString html = "<bob>:<img src=\"file:///x.png\"><a href=\"javascript:x()\">hi</a><b>&amp;";
    Shown shown({html.toStdString()});
    shown.view.selectAll();
    QCOMPARE(shown.view.selectedText(), html);
    QCOMPARE(BuildDisplayLine(shown.text.Lines()[0]).Text, html);
    QVERIFY(BuildDisplayLine(shown.text.Lines()[0]).Links.empty());
}

void TextViewTest::staysPinnedUnlessScrolledUp()
{
    Shown shown({});
    QScrollBar* bar = shown.view.verticalScrollBar();
    const auto append = [&](int count) {
        for (int i = 0; i < count; ++i) {
            shown.text.Append(session::FormatLine("line " + std::to_string(i), Black));
            shown.view.linesAppended();
        }
    };
    append(500);
    // Appends are coalesced: the view catches up with the next repaint, not per line.
    QCOMPARE(bar->maximum(), 0);
    QTRY_VERIFY(bar->maximum() > 400);
    QCOMPARE(bar->value(), bar->maximum());

    bar->setValue(10);
    append(100);
    shown.view.flushAppends();
    QCOMPARE(bar->value(), 10);
    QVERIFY(!shown.view.isPinnedToBottom());

    bar->setValue(bar->maximum());
    append(100);
    shown.view.flushAppends();
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(shown.view.firstVisibleLine() + bar->pageStep(), 700);
}

void TextViewTest::clearEmptiesTheView()
{
    Shown shown({"one", "two"});
    shown.view.selectAll();
    shown.text.Clear();
    shown.view.linesCleared();
    QCOMPARE(shown.view.selectedText(), QString());
    QCOMPARE(shown.view.verticalScrollBar()->maximum(), 0);
    shown.view.viewport()->grab(); // paints nothing, touches no old line
}

QTEST_MAIN(TextViewTest)
#include "TextViewTest.moc"
