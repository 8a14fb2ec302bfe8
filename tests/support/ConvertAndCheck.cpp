#include "support/ConvertAndCheck.h"

#include "conversion/PageCreation.h"
#include "pagepdf/QpdfPageLibrary.h"
#include "support/PdfProbe.h"
#include "support/WindowFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

void verifyPage(const QString& pdf, int page, const QImage& expected, double tolerance, Readers readers)
{
    const QList<QSizeF> sizes = PdfProbe::pageSizes(pdf);
    QVERIFY(sizes.size() >= page);
    const PageSize units = placePicture(PageDescription{}, expected.width(), expected.height()).page;
    const QSizeF points(units.width * 72.0 / 254.0, units.height * 72.0 / 254.0);
    QVERIFY2(qAbs(sizes.at(page - 1).width() - points.width()) < 0.05 &&
                 qAbs(sizes.at(page - 1).height() - points.height()) < 0.05,
             qPrintable(QStringLiteral("page %1 is %2 x %3 pt, expected %4 x %5")
                            .arg(page)
                            .arg(sizes.at(page - 1).width())
                            .arg(sizes.at(page - 1).height())
                            .arg(points.width())
                            .arg(points.height())));
    const QImage rendered = PdfProbe::renderPageAt(pdf, page, expected.size());
    const double difference = PdfProbe::meanDifference(rendered, expected);
    QVERIFY2(difference >= 0 && difference < tolerance,
             qPrintable(QStringLiteral("page %1 differs from the picture by %2").arg(page).arg(difference)));
    if (readers == Readers::PopplerAndMupdf) {
        const double mupdf =
            PdfProbe::meanDifference(PdfProbe::renderPageWithMupdf(pdf, page, expected.size()), expected);
        QVERIFY2(mupdf >= 0 && mupdf < tolerance,
                 qPrintable(QStringLiteral("page %1 in MuPDF differs from the picture by %2").arg(page).arg(mupdf)));
    }
}

void verifyPages(const QString& imagePath, const QString& pdf, const QImage& expected, double tolerance,
                 const KeptPage& kept)
{
    for (const bool keepOriginal : {false, true}) {
        QpdfPageLibrary library;
        const PageJob job{nullptr, imagePath, pdf};
        PageDescription description{95};
        description.keepOriginal = keepOriginal;
        const StageResult result = createPagePdf(library, job, [&] { return description; });
        QVERIFY2(result.ok, qPrintable(result.text));
        verifyPage(pdf, 1, expected, keepOriginal && kept.tolerance > 0 ? kept.tolerance : tolerance,
                   keepOriginal ? kept.readers : Readers::Poppler);
        if (QTest::currentTestFailed()) {
            qWarning("... with the original %s", keepOriginal ? "kept" : "compressed again");
            return;
        }
    }
}

void convertAndCheck(WindowFixture& f, const QString& destination, const QList<QImage>& expected, double tolerance)
{
    f.dialogs.saveAnswers.push_back(destination);

    f.click(QStringLiteral("Command3"));

    QVERIFY2(f.messages.shown().isEmpty(), qPrintable(f.messages.shown().value(0).text));
    QCOMPARE(f.text("lblPB"), QCoreApplication::translate("ConversionRun", "Done.")); // in the window's language
    QString report;
    QVERIFY2(PdfProbe::passesQpdfCheck(destination, &report), qPrintable(report));
    QCOMPARE(PdfProbe::info(destination).value(QStringLiteral("Pages")).toInt(), expected.size());
    for (int i = 0; i < expected.size() && !QTest::currentTestFailed(); ++i) {
        verifyPage(destination, i + 1, expected.at(i), tolerance);
    }
    QCOMPARE(QDir(f.workspaceParent).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
             QStringList());
}
