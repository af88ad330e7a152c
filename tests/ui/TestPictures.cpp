// The pictures as users get them: every picture a help page shows, at its
// size and twice as dense for high-density screens, and the icon Windows
// shows for the program's files.

#include "ui/common/HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void helpPagesShowTheirPictures();
    void windowsIconHoldsEverySize();
};

void TestPictures::helpPagesShowTheirPictures()
{
    ui::HelpWindow window;
    auto* browser = window.findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
    QVERIFY(browser);
    const QStringList pages = QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")});
    QVERIFY(pages.contains(QStringLiteral("main.html")));
    int pictures = 0;
    for (const QString& page : pages) {
        window.open(QUrl(QStringLiteral("qrc:/help/") + page));
        for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextImageFormat picture = it.fragment().charFormat().toImageFormat();
                if (!picture.isValid())
                    continue;
                // The toolkit takes the name as written as a file name, and
                // looks for name@2x beside it on a screen twice as dense.
                const QString name = picture.name();
                const QString dense = QString(name).insert(name.lastIndexOf(u'.'), QStringLiteral("@2x"));
                const QSize size(qRound(picture.width()), qRound(picture.height()));
                const QString where = page + QStringLiteral(": ") + name;
                QVERIFY2(QImage(name).size() == size, qPrintable(where));
                QVERIFY2(QImage(dense).size() == size * 2, qPrintable(where + QStringLiteral(" @2x")));
                ++pictures;
            }
        }
    }
    QCOMPARE(pictures, 15);  // the toolbar's eight on the main window's page, and each page's own
}

void TestPictures::windowsIconHoldsEverySize()
{
    QFile file(QStringLiteral(":/windows/app.ico"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray ico = file.readAll();
    auto number = [&ico](qsizetype at, int bytes) {
        quint32 value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = value << 8 | quint8(ico.at(at + i));
        return value;
    };
    QVERIFY(ico.size() > 6);
    QCOMPARE(number(0, 2), 0u);  // reserved
    QCOMPARE(number(2, 2), 1u);  // an icon
    const quint32 count = number(4, 2);
    QVERIFY(ico.size() >= 6 + 16 * qsizetype(count));

    // Each entry as Windows reads it: its side (0 for 256), 32-bit colour,
    // and where its PNG lies, one after another up to the file's end.
    const QImage program = QImage(QStringLiteral(":/icons/app-64.png")).convertToFormat(QImage::Format_ARGB32);
    QList<int> sides;
    quint32 next = 6 + 16 * count;
    for (quint32 i = 0; i < count; ++i) {
        const qsizetype entry = 6 + 16 * i;
        const int side = number(entry, 1) == 0 ? 256 : int(number(entry, 1));
        QCOMPARE(number(entry + 1, 1), number(entry, 1));
        QCOMPARE(number(entry + 4, 2), 1u);   // colour planes
        QCOMPARE(number(entry + 6, 2), 32u);  // bits a pixel
        const quint32 length = number(entry + 8, 4);
        QCOMPARE(number(entry + 12, 4), next);
        next += length;
        QVERIFY(next <= quint32(ico.size()));
        const QImage image = QImage::fromData(ico.mid(number(entry + 12, 4), length), "PNG");
        QCOMPARE(image.size(), QSize(side, side));
        if (side == 64)
            QCOMPARE(image.convertToFormat(QImage::Format_ARGB32), program);
        sides.append(side);
    }
    QCOMPARE(next, quint32(ico.size()));
    QCOMPARE(sides, (QList<int>{16, 24, 32, 48, 64, 256}));
}

QTEST_MAIN(TestPictures)
#include "TestPictures.moc"
