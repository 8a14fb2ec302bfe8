#pragma once

#include <QImage>
#include <QList>
#include <QString>

struct WindowFixture;

// Checks one page of a PDF: its size is the page "As the image" gives the picture's pixel size, and its rendering differs
// from the picture by less than tolerance (mean per channel, 0-255). Fails the current test otherwise.
void verifyPage(const QString& pdf, int page, const QImage& expected, double tolerance);

// Converts the window's list, saving to destination, and checks what a user would see: no message, "Done.", a PDF
// that passes qpdf's check with one page per expected picture, each showing it, and no workspace left behind.
// Fails the current test otherwise (check QTest::currentTestFailed() after).
void convertAndCheck(WindowFixture& f, const QString& destination, const QList<QImage>& expected, double tolerance);
