#include "conversion/InfoFile.h"
#include "pdftk/ProcessPdftk.h"
#include "support/TestFolder.h"

#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QtTest>

namespace {

bool makeOnePagePdf(const QString& path)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QSizeF(200, 300), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer)) {
        return false;
    }
    painter.fillRect(QRect(0, 0, 400, 400), Qt::darkCyan);
    return painter.end();
}

// The document information as pdfinfo reads it, keyed by entry name.
QMap<QString, QString> pdfInfo(const QString& pdf)
{
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), QStringLiteral("-rawdates"), pdf});
    pdfinfo.waitForFinished(-1);
    QMap<QString, QString> entries;
    const QStringList lines = QString::fromUtf8(pdfinfo.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0) {
            entries.insert(line.left(colon), line.mid(colon + 1).trimmed());
        }
    }
    return entries;
}

} // namespace

class TestInfoFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void infoFileBytes_sample_exactBytes();
    void infoFileBytes_controlCharacterInField_becomesBlank_data();
    void infoFileBytes_controlCharacterInField_becomesBlank();
    void writeInfoFile_throughRealPdftk_allSevenEntriesArrive();
    void writeInfoFile_folderMissing_saysWhatFailedNamesNoWorkspaceFile();
};

void TestInfoFile::infoFileBytes_sample_exactBytes()
{
    const DocumentInfo info{QStringLiteral("Holiday Ærø"), QStringLiteral("Anna"),
                            QStringLiteral("D:20240102030405+01'00"), QStringLiteral("Beach"), QString()};
    const QByteArray expected = "InfoBegin\r\nInfoKey: Title\r\nInfoValue: Holiday \xc3\x86r\xc3\xb8\r\n"
                                "InfoBegin\r\nInfoKey: Author\r\nInfoValue: Anna\r\n"
                                "InfoBegin\r\nInfoKey: CreationDate\r\nInfoValue: D:20240102030405+01'00\r\n"
                                "InfoBegin\r\nInfoKey: Subject\r\nInfoValue: Beach\r\n"
                                "InfoBegin\r\nInfoKey: Keywords\r\nInfoValue: \r\n"
                                "InfoBegin\r\nInfoKey: Creator\r\nInfoValue: Pagewell\r\n"
                                "InfoBegin\r\nInfoKey: Producer\r\nInfoValue: Pagewell\r\n";
    QCOMPARE(infoFileBytes(info), expected);
}

void TestInfoFile::infoFileBytes_controlCharacterInField_becomesBlank_data()
{
    // clang-format off
    QTest::addColumn<QString>("field");
    QTest::addColumn<QByteArray>("valueLine");
    QTest::newRow("line feed") << QStringLiteral("a\nb") << QByteArray("InfoValue: a b");
    QTest::newRow("carriage return") << QStringLiteral("a\rb") << QByteArray("InfoValue: a b");
    QTest::newRow("CR LF") << QStringLiteral("a\r\nb") << QByteArray("InfoValue: a  b");
    QTest::newRow("SOH") << QStringLiteral("a\x01" "b") << QByteArray("InfoValue: a b");
    QTest::newRow("tab") << QStringLiteral("a\tb") << QByteArray("InfoValue: a b");
    QTest::newRow("DEL") << QStringLiteral("a\x7f" "b") << QByteArray("InfoValue: a b");
    QTest::newRow("next line U+0085") << QStringLiteral("a\u0085b") << QByteArray("InfoValue: a b");
    QTest::newRow("line separator U+2028") << QStringLiteral("a\u2028b") << QByteArray("InfoValue: a b");
    QTest::newRow("key injection") << QStringLiteral("x\nInfoKey: Producer\nInfoValue: Evil")
                                   << QByteArray("InfoValue: x InfoKey: Producer InfoValue: Evil");
    // clang-format on
}

void TestInfoFile::infoFileBytes_controlCharacterInField_becomesBlank()
{
    QFETCH(QString, field);
    QFETCH(QByteArray, valueLine);
    const DocumentInfo info{QStringLiteral("T"), QStringLiteral("A"), QStringLiteral("D"), QStringLiteral("S"), field};
    const QByteArray bytes = infoFileBytes(info);

    QVERIFY(bytes.endsWith("\r\n"));
    const QList<QByteArray> lines = bytes.chopped(1).split('\n');
    QCOMPARE(lines.size(), 21);
    for (const QByteArray& line : lines) {
        QVERIFY2(line.endsWith('\r') && line.count('\r') == 1, line.constData());
    }
    QCOMPARE(lines.at(13), QByteArray("InfoKey: Keywords\r"));
    QCOMPARE(lines.at(14), valueLine + '\r');
}

void TestInfoFile::writeInfoFile_throughRealPdftk_allSevenEntriesArrive()
{
    TestFolder scratch;
    const QString input = scratch.file(QStringLiteral("in.pdf"));
    const QString output = scratch.file(QStringLiteral("out.pdf"));
    const QString infoPath = scratch.file(QStringLiteral("info.txt"));
    QVERIFY(makeOnePagePdf(input));

    const DocumentInfo info{
        QStringLiteral("Über Ærø 日本"), QStringLiteral("Zoë Ødegård"), QStringLiteral("D:20240102030405+01'00"),
        QStringLiteral("Sea\nInfoBegin\nInfoKey: Producer\nInfoValue: Evil"), QStringLiteral("beach, 夏")};
    QString error;
    QVERIFY2(writeInfoFile(infoPath, info, &error), qPrintable(error));

    // The child must get a UTF-8 locale whatever the program was started with.
    const QByteArray savedLocale = qgetenv("LC_ALL");
    qputenv("LC_ALL", "POSIX");
    const auto restoreLocale = qScopeGuard([&savedLocale] { qputenv("LC_ALL", savedLocale); });
    ProcessPdftk pdftk;
    QVERIFY2(pdftk.isAvailable(), "pdftk is needed for this test");
    const PdftkResult result = pdftk.RunPdftkAndWait({input, QStringLiteral("update_info_utf8"), infoPath,
                                                      QStringLiteral("output"), output, QStringLiteral("dont_ask")});
    QVERIFY2(result.ok(), qPrintable(result.errorText));

    const QMap<QString, QString> entries = pdfInfo(output);
    QCOMPARE(entries.value(QStringLiteral("Title")), QStringLiteral("Über Ærø 日本"));
    QCOMPARE(entries.value(QStringLiteral("Author")), QStringLiteral("Zoë Ødegård"));
    QCOMPARE(entries.value(QStringLiteral("CreationDate")), QStringLiteral("D:20240102030405+01'00"));
    QCOMPARE(entries.value(QStringLiteral("Subject")),
             QStringLiteral("Sea InfoBegin InfoKey: Producer InfoValue: Evil"));
    QCOMPARE(entries.value(QStringLiteral("Keywords")), QStringLiteral("beach, 夏"));
    QCOMPARE(entries.value(QStringLiteral("Creator")), QStringLiteral("Pagewell"));
    QCOMPARE(entries.value(QStringLiteral("Producer")), QStringLiteral("Pagewell"));
}

void TestInfoFile::writeInfoFile_folderMissing_saysWhatFailedNamesNoWorkspaceFile()
{
    TestFolder scratch;
    // A regular file where the folder should be: even root cannot write below it.
    const QString path = scratch.write(QStringLiteral("not-a-folder"), "x") + QStringLiteral("/info.txt");
    QString error;
    QVERIFY(!writeInfoFile(path, DocumentInfo{}, &error));
    QVERIFY2(error.contains(QStringLiteral("document information")), qPrintable(error));
    QVERIFY2(!error.contains(QStringLiteral("info.txt")), qPrintable(error));
}

QTEST_MAIN(TestInfoFile)
#include "tst_infofile.moc"
