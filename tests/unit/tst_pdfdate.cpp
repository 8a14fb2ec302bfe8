#include "app/PdfDate.h"
#include "app/QualityLabels.h"
#include "doubles/FixedClock.h"

#include <QRegularExpression>
#include <QTest>
#include <QTimeZone>

// The machine's zone for this test program; main() sets it before Qt first looks.
static const char* const kMachineZone = "America/Chicago";

class TestPdfDate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pdfDateString_momentInZone_carriesThatZonesOffset_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("utc");
        QTest::addColumn<QString>("expected");
        const auto utc = [](int y, int mo, int d, int h, int mi, int s, int ms = 0) {
            return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
        };
        QTest::newRow("Berlin winter") << QByteArray("Europe/Berlin") << utc(2024, 1, 15, 11, 4, 5)
                                       << "D:20240115120405+01'00";
        QTest::newRow("Berlin summer") << QByteArray("Europe/Berlin") << utc(2024, 7, 1, 22, 30, 0)
                                       << "D:20240702003000+02'00";
        // 02:30 happens twice in Berlin on 27 Oct 2024; each carries its own offset.
        QTest::newRow("Berlin repeated hour, first")
            << QByteArray("Europe/Berlin") << utc(2024, 10, 27, 0, 30, 0) << "D:20241027023000+02'00";
        QTest::newRow("Berlin repeated hour, second")
            << QByteArray("Europe/Berlin") << utc(2024, 10, 27, 1, 30, 0) << "D:20241027023000+01'00";
        QTest::newRow("Chicago winter") << QByteArray("America/Chicago") << utc(2024, 1, 1, 5, 59, 59, 999)
                                        << "D:20231231235959-06'00";
        QTest::newRow("Chicago summer") << QByteArray("America/Chicago") << utc(2024, 7, 4, 17, 0, 1)
                                        << "D:20240704120001-05'00";
        QTest::newRow("Kolkata half hour")
            << QByteArray("Asia/Kolkata") << utc(2024, 2, 29, 18, 45, 9) << "D:20240301001509+05'30";
        QTest::newRow("St John's negative half hour")
            << QByteArray("America/St_Johns") << utc(2024, 1, 10, 3, 0, 0) << "D:20240109233000-03'30";
        QTest::newRow("Kathmandu quarter hour")
            << QByteArray("Asia/Kathmandu") << utc(2024, 5, 5, 0, 0, 0) << "D:20240505054500+05'45";
        QTest::newRow("UTC") << QByteArray("UTC") << utc(2024, 12, 31, 23, 59, 59) << "D:20241231235959+00'00";
    }
    void pdfDateString_momentInZone_carriesThatZonesOffset()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, utc);
        QFETCH(QString, expected);
        const QTimeZone timeZone(zone);
        QVERIFY2(timeZone.isValid(), "time zone data (the tzdata package) is missing");
        QCOMPARE(pdfDateString(utc.toTimeZone(timeZone)), expected);
    }

    void pdfDateString_otherTimeSpecs_useTheirOwnOffset()
    {
        const QDateTime moment(QDate(2010, 3, 4), QTime(5, 6, 7, 890), Qt::UTC);
        QCOMPARE(pdfDateString(moment), QStringLiteral("D:20100304050607+00'00"));
        QCOMPARE(pdfDateString(moment.toOffsetFromUtc(-(9 * 3600 + 30 * 60))),
                 QStringLiteral("D:20100303193607-09'30"));
        QCOMPARE(pdfDateString(QDateTime()), QString());
    }

    void pdfDateString_localTime_carriesTheMachinesOffset()
    {
        const QDateTime winter(QDate(2024, 1, 15), QTime(9, 0, 0), Qt::LocalTime);
        const QDateTime summer(QDate(2024, 7, 15), QTime(9, 0, 0), Qt::LocalTime);
        QCOMPARE(pdfDateString(winter), QStringLiteral("D:20240115090000-06'00"));
        QCOMPARE(pdfDateString(summer), QStringLiteral("D:20240715090000-05'00"));

        FixedClock clock(summer);
        QCOMPARE(pdfDateString(clock), QStringLiteral("D:20240715090000-05'00"));

        static const QRegularExpression shape(QStringLiteral("^D:\\d{14}-0[56]'00$"));
        const QString now = pdfDateString(SystemClock());
        QVERIFY2(shape.match(now).hasMatch(), qPrintable(now));
    }

    void checkedPdfDate_typedText_keptTurnedOrRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected"); // empty: refused
        QTest::newRow("the window's form") << "D:20240102030405+01'00"
                                           << "D:20240102030405+01'00";
        QTest::newRow("PDF's own form, year only") << "D:2024"
                                                   << "D:2024";
        QTest::newRow("PDF's own form, Z and closing apostrophe") << "D:20240229235959Z"
                                                                  << "D:20240229235959Z";
        QTest::newRow("PDF, 30 February") << "D:20240230120000+01'00"
                                          << "";
        QTest::newRow("PDF, hour 24") << "D:20240101240000+01'00"
                                      << "";
        QTest::newRow("PDF, offset of 24 hours") << "D:20240101120000+24'00"
                                                 << "";
        QTest::newRow("PDF, a line after it") << "D:20240101120000\n"
                                              << "";
        QTest::newRow("ISO date, local time") << "2024-01-15"
                                              << "D:20240115000000-06'00";
        QTest::newRow("ISO with offset") << "2024-07-01T14:30:00+05:45"
                                         << "D:20240701143000+05'45";
        QTest::newRow("ISO, 29 February of a common year") << "2023-02-29"
                                                           << "";
        QTest::newRow("words") << "yesterday"
                               << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void checkedPdfDate_typedText_keptTurnedOrRefused()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QCOMPARE(checkedPdfDate(typed).value_or(QString()), expected);
    }

    void qualityLabels_position_givesPercentAndWord_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("percent");
        QTest::addColumn<QString>("word");
        QTest::newRow("100") << 100 << "100%"
                             << "Best";
        QTest::newRow("80") << 80 << "80%"
                            << "Best";
        QTest::newRow("79") << 79 << "79%"
                            << "Good";
        QTest::newRow("60") << 60 << "60%"
                            << "Good";
        QTest::newRow("59") << 59 << "59%"
                            << "Medium";
        QTest::newRow("30") << 30 << "30%"
                            << "Medium";
        QTest::newRow("29") << 29 << "29%"
                            << "Low";
        QTest::newRow("1") << 1 << "1%"
                           << "Low";
    }
    void qualityLabels_position_givesPercentAndWord()
    {
        QFETCH(int, position);
        QFETCH(QString, percent);
        QFETCH(QString, word);
        QCOMPARE(qualityPercentText(position), percent);
        QCOMPARE(qualityWord(position), word);
    }
};

int main(int argc, char** argv)
{
    qputenv("TZ", kMachineZone);
    QCoreApplication app(argc, argv);
    TestPdfDate test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pdfdate.moc"
