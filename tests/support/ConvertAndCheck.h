#pragma once

#include <QImage>
#include <QList>
#include <QString>

struct WindowFixture;

enum class Readers
{
    Poppler,
    PopplerAndMupdf,
};

// Checks one page of a PDF: its size is the page "As the image" gives the picture's pixel size, and its rendering (by
// poppler, and by MuPDF too when asked) differs from the picture by less than tolerance (mean per channel, 0-255).
// Fails the current test otherwise.
void verifyPage(const QString& pdf, int page, const QImage& expected, double tolerance,
                Readers readers = Readers::Poppler);

// How the page with its original kept is checked: by which readers, and within what tolerance (0: the same).
struct KeptPage
{
    Readers readers = Readers::PopplerAndMupdf;
    double tolerance = 0;
};

// Makes the image's page into pdf twice with the real library, compressed again (quality 95) and with its original
// kept, and checks each with verifyPage.
void verifyPages(const QString& imagePath, const QString& pdf, const QImage& expected, double tolerance,
                 const KeptPage& kept = {});

// Converts the window's list, saving to destination, and checks what a user would see: no message, "Done.", a PDF
// that passes qpdf's check with one page per expected picture, each showing it, and no workspace left behind.
// Fails the current test otherwise (check QTest::currentTestFailed() after).
void convertAndCheck(WindowFixture& f, const QString& destination, const QList<QImage>& expected, double tolerance);
