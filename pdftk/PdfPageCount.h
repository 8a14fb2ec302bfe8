#pragma once

#include <QString>

// The page count that a PDF file's page tree declares, read with qpdf without repairing anything and without
// reading the pages themselves; -1 when the file is not a PDF qpdf can open as it stands (error says why).
[[nodiscard]] qint64 pdfPageCount(const QString& path, QString* error = nullptr);
