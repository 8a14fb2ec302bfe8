#include "app/SettingsFile.h"
#include "support/TestFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

using OptionalText = std::optional<QString>;

namespace {

const QByteArray kExampleFile = "\"New PDF Document\"\r\n\"Pagewell\"\r\n\"New Subject\"\r\n\"\"\r\n\"80\"\r\n";

QStringList describe(const SettingsRead& read)
{
    const auto text = [](const OptionalText& value) { return value ? QLatin1Char('<') + *value + '>' : "absent"; };
    return {text(read.title), text(read.author), text(read.subject), text(read.keywords),
            read.quality ? QString::number(*read.quality) : QStringLiteral("absent")};
}

// Writes the bytes as the settings file of a scratch folder and reads them back.
SettingsRead readBack(const TestFolder& folder, const QByteArray& bytes)
{
    return readSettingsFile(folder.write(QStringLiteral("setting.dll"), bytes));
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void format_initialValues_matchesTheExampleByteForByte()
    {
        const SettingsValues initial{"New PDF Document", "Pagewell", "New Subject", "", 80};
        QCOMPARE(formatSettings(initial), kExampleFile);
    }

    void format_lineBreakInValue_becomesBlankSoLinesStayAligned()
    {
        const SettingsValues values{"two\r\nlines", "a\nb", "c\rd", QStringLiteral("nul\0here\x1b\tend"), 55};
        QCOMPARE(formatSettings(values),
                 QByteArray("\"two  lines\"\r\n\"a b\"\r\n\"c d\"\r\n\"nul here \tend\"\r\n\"55\"\r\n"));
    }

    void writeThenRead_givesTheValuesBack_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("keywords");
        QTest::addColumn<int>("quality");
        QTest::newRow("initial") << "New PDF Document"
                                 << "" << 80;
        QTest::newRow("comma") << "Holidays, 2010"
                               << "sea, sun,,sand" << 1;
        QTest::newRow("quotes") << "He said \"hi\", then left"
                                << "\"quoted\"" << 100;
        QTest::newRow("only a quote") << "\""
                                      << "\"\"" << 30;
        QTest::newRow("blanks kept") << "  padded title \t"
                                     << " " << 79;
        QTest::newRow("non-ASCII") << QString::fromUtf8("Überblick – 東京 😀 ñ") << QString::fromUtf8("café, naïve")
                                   << 45;
    }
    void writeThenRead_givesTheValuesBack()
    {
        QFETCH(QString, title);
        QFETCH(QString, keywords);
        QFETCH(int, quality);
        TestFolder folder;
        const QString path = settingsFilePath(folder.path());
        QString error;
        QVERIFY2(writeSettingsFile(path, {title, "Author, Esq.", "Subject", keywords, quality}, &error),
                 qPrintable(error));

        const SettingsRead read = readSettingsFile(path);
        QCOMPARE(read.title, OptionalText(title));
        QCOMPARE(read.author, OptionalText("Author, Esq."));
        QCOMPARE(read.subject, OptionalText("Subject"));
        QCOMPARE(read.keywords, OptionalText(keywords));
        QCOMPARE(read.quality, std::optional<int>(quality));
    }

    void write_replacesTheWholeFileAndLeavesNoTemporaryBehind()
    {
        TestFolder folder;
        const QString path = folder.write("setting.dll", QByteArray(100000, 'x'));
        QString error;
        QVERIFY2(writeSettingsFile(path, {"New PDF Document", "Pagewell", "New Subject", "", 80}, &error),
                 qPrintable(error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), kExampleFile);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"setting.dll"});
    }

    void write_missingFolder_isMade()
    {
        TestFolder folder;
        const QString path = settingsFilePath(folder.file("config/Pagewell"));
        QString error;
        QVERIFY2(writeSettingsFile(path, {"t", "a", "s", "k", 10}, &error), qPrintable(error));
        QCOMPARE(readSettingsFile(path).title, OptionalText("t"));
    }

    void write_folderIsAFile_failsNamingTheFile()
    {
        TestFolder folder;
        const QString blocker = folder.write("not-a-folder", "x");
        const QString path = settingsFilePath(blocker);
        QString error;
        QVERIFY(!writeSettingsFile(path, {}, &error));
        QVERIFY2(error.contains(path), qPrintable(error));
        QVERIFY(error.endsWith(QLatin1Char('.')));
    }

    void read_file_givesWhatItCan_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected"); // title, author, subject, keywords, quality

        QTest::newRow("example") << kExampleFile
                                 << QStringList{"<New PDF Document>", "<Pagewell>", "<New Subject>", "<>", "80"};
        QTest::newRow("LF only") << QByteArray("\"t\"\n\"a\"\n\"s\"\n\"k\"\n\"45\"\n")
                                 << QStringList{"<t>", "<a>", "<s>", "<k>", "45"};
        QTest::newRow("CR only") << QByteArray("\"t\"\r\"a\"\r\"s\"\r\"k\"\r\"45\"\r")
                                 << QStringList{"<t>", "<a>", "<s>", "<k>", "45"};
        QTest::newRow("mixed, no final line end")
            << QByteArray("\"t\"\r\n\"a\"\n\"s\"\r\"k\"\r\n\"45\"") << QStringList{"<t>", "<a>", "<s>", "<k>", "45"};
        QTest::newRow("empty line is an empty value")
            << QByteArray("\"t\"\r\n\r\n\"s\"\r\n\"k\"\r\n\"45\"\r\n") << QStringList{"<t>", "<>", "<s>", "<k>", "45"};
        QTest::newRow("empty file") << QByteArray() << QStringList{"absent", "absent", "absent", "absent", "absent"};
        QTest::newRow("two values") << QByteArray("\"t\"\r\n\"a\"\r\n")
                                    << QStringList{"<t>", "<a>", "absent", "absent", "absent"};
        QTest::newRow("truncated mid-value")
            << QByteArray("\"t\"\r\n\"a\"\r\n\"sub") << QStringList{"<t>", "<a>", "<sub>", "absent", "absent"};
        QTest::newRow("lines after the fifth ignored")
            << QByteArray("\"t\"\r\n\"a\"\r\n\"s\"\r\n\"k\"\r\n\"45\"\r\n\"sixth\"\r\n\"70\"\r\n")
            << QStringList{"<t>", "<a>", "<s>", "<k>", "45"};
        QTest::newRow("blanks before quotes, junk after")
            << QByteArray(" \t\"t\" junk\r\n\"a\",\"b\"\r\n\"s\r\n\"k\"\"\r\n  \" 70 \"  \r\n")
            << QStringList{"<t>", "<a\",\"b>", "<s>", "<k\">", "70"};
        QTest::newRow("unquoted, trimmed, split at commas")
            << QByteArray("  plain title \t\r\nauthor, subject ,\r\n 12\r\n")
            << QStringList{"<plain title>", "<author>", "<subject>", "<>", "12"};
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF\"t\"\r\n\"a\"\r\n\"s\"\r\n\"k\"\r\n\"45\"\r\n")
                                         << QStringList{"<t>", "<a>", "<s>", "<k>", "45"};
        QTest::newRow("binary and bad UTF-8 lines give nothing")
            << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe\r\n\"45\"\r\n", 26)
            << QStringList{"absent", "absent", "absent", "absent", "45"};
        QTest::newRow("overlong line gives nothing, the next line still read")
            << ('"' + QByteArray(300 * 1024, 'x') + "\"\r\n\"a\"\r\n\"s\"\r\n\"k\"\r\n\"45\"\r\n")
            << QStringList{"absent", "<a>", "<s>", "<k>", "45"};
        QTest::newRow("longest title a line edit holds")
            << ('"' + QString(32767, QChar(0x6771)).toUtf8() + "\"\r\n\"a\"\r\n\"s\"\r\n\"k\"\r\n\"45\"\r\n")
            << QStringList{'<' + QString(32767, QChar(0x6771)) + '>', "<a>", "<s>", "<k>", "45"};
    }
    void read_file_givesWhatItCan()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        TestFolder folder;
        QCOMPARE(describe(readBack(folder, bytes)), expected);
    }

    void read_hugeFileOfOneEndlessLine_givesNothingWithoutReadingItAll()
    {
        TestFolder folder;
        const QString path = folder.file("setting.dll");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            const QByteArray chunk(1024 * 1024, 'x');
            file.write("\"");
            for (int i = 0; i < 50; ++i) {
                QCOMPARE(file.write(chunk), chunk.size());
            }
        }
        const QStringList nothing{"absent", "absent", "absent", "absent", "absent"};
        QCOMPARE(describe(readSettingsFile(path)), nothing);

        // A terabyte (sparse) that a reader without a bound would never finish.
        QVERIFY(QFile::resize(path, qint64(1) << 40));
        QCOMPARE(describe(readSettingsFile(path)), nothing);
    }

    void read_missingOrLinked_givesWhatTheLinkedFileHolds()
    {
        TestFolder folder;
        const QStringList nothing{"absent", "absent", "absent", "absent", "absent"};
        QCOMPARE(describe(readSettingsFile(folder.file("missing/setting.dll"))), nothing);

        const QStringList example{"<New PDF Document>", "<Pagewell>", "<New Subject>", "<>", "80"};
        const QString target = folder.write("real.dll", kExampleFile);
        QVERIFY(QFile::link(target, folder.file("link.dll")));
        QCOMPARE(describe(readSettingsFile(folder.file("link.dll"))), example);
    }

    void notAnOrdinaryFile_readGivesNothingAndWriteLeavesItAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder") << "folder";
        // A FIFO with no writer would block an ordinary open for good.
        QTest::newRow("FIFO") << "FIFO";
        // Like a link to /dev/null: a file renamed over the link's target would replace the device.
        QTest::newRow("link to a FIFO") << "link to a FIFO";
        QTest::newRow("link to nothing") << "link to nothing";
    }

    void notAnOrdinaryFile_readGivesNothingAndWriteLeavesItAlone()
    {
        QFETCH(QString, kind);
        TestFolder folder;
        const QString path = settingsFilePath(folder.path());
        const QByteArray fifo = QFile::encodeName(kind == "FIFO" ? path : folder.file("fifo"));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        if (kind == "folder") {
            folder.mkdir("setting.dll");
        } else if (kind != "FIFO") {
            QVERIFY(QFile::link(kind == "link to nothing" ? folder.file("nothing") : QFile::decodeName(fifo), path));
        }
        const auto listing = [&] {
            return QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        };
        const QStringList before = listing();

        QCOMPARE(describe(readSettingsFile(path)), (QStringList{"absent", "absent", "absent", "absent", "absent"}));
        QString error;
        QVERIFY(!writeSettingsFile(path, {"t", "a", "s", "k", 10}, &error));
        QVERIFY2(error.contains(path), qPrintable(error));

        QCOMPARE(listing(), before);
        struct stat info = {};
        QCOMPARE(::stat(fifo.constData(), &info), 0);
        QVERIFY(S_ISFIFO(info.st_mode));
        QCOMPARE(QFileInfo(path).isSymLink(), kind.startsWith("link"));
    }

    void parseQuality_text_givesSixteenBitNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -1: nothing
        QTest::newRow("45") << "45" << 45;
        QTest::newRow("150 is still a number") << "150" << 150;
        QTest::newRow("blanks") << " \t70 " << 70;
        QTest::newRow("half to even down") << "80.5" << 80;
        QTest::newRow("half to even up") << "81.5" << 82;
        QTest::newRow("above half") << "80.51" << 81;
        QTest::newRow("below half") << "79.49" << 79;
        QTest::newRow("leading zeros") << "007" << 7;
        QTest::newRow("plus sign") << "+9" << 9;
        QTest::newRow("largest 16-bit") << "32767" << 32767;
        QTest::newRow("too large") << "32768" << -1;
        QTest::newRow("rounds past the limit") << "32767.5" << -1;
        QTest::newRow("letters") << "abc" << -1;
        QTest::newRow("trailing letters") << "80%" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("exponent") << "8e1" << -1;
        QTest::newRow("infinity") << "inf" << -1;
        QTest::newRow("two numbers") << "80 90" << -1;
    }
    void parseQuality_text_givesSixteenBitNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(parseQuality(text), expected < 0 ? std::nullopt : std::optional<int>(expected));
    }

    void parseQuality_negative_isANumberButOutOfRange()
    {
        QCOMPARE(parseQuality("-5"), std::optional<int>(-5));
        QCOMPARE(parseQuality("-32768"), std::optional<int>(-32768));
        QCOMPARE(parseQuality("-32769"), std::nullopt);
        QCOMPARE(qualityWithinRange(parseQuality("-5")), std::nullopt);
    }

    void read_fifthValue_onlyInRangeReachesTheSlider_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("read");     // -1: nothing
        QTest::addColumn<int>("accepted"); // -1: the slider stays
        QTest::newRow("45") << QByteArray("\"45\"") << 45 << 45;
        QTest::newRow("150") << QByteArray("\"150\"") << 150 << -1;
        QTest::newRow("0") << QByteArray("\"0\"") << 0 << -1;
        QTest::newRow("1") << QByteArray("1") << 1 << 1;
        QTest::newRow("100") << QByteArray("100.4") << 100 << 100;
        QTest::newRow("100.5 rounds to 100") << QByteArray("\"100.5\"") << 100 << 100;
        QTest::newRow("abc") << QByteArray("\"abc\"") << -1 << -1;
        QTest::newRow("empty") << QByteArray("\"\"") << -1 << -1;
    }
    void read_fifthValue_onlyInRangeReachesTheSlider()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, read);
        QFETCH(int, accepted);
        TestFolder folder;
        const SettingsRead result = readBack(folder, "\"t\"\r\n\"a\"\r\n\"s\"\r\n\"k\"\r\n" + line + "\r\n");
        const auto optional = [](int value) { return value < 0 ? std::nullopt : std::optional<int>(value); };
        QCOMPARE(result.quality, optional(read));
        QCOMPARE(qualityWithinRange(result.quality), optional(accepted));
    }

    void location_writableProgramFolder_isUsedElseTheFallback()
    {
        TestFolder folder;
        const QString program = folder.mkdir("program");
        const QString config = folder.file("config");
        QCOMPARE(settingsFileLocation(program, config), program + "/setting.dll");
        QCOMPARE(settingsFileLocation(folder.file("not-there"), config), config + "/setting.dll");
        QCOMPARE(settingsFileLocation(folder.write("a-file"), config), config + "/setting.dll");
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
