#pragma once

#include "conversion/ConversionStages.h"

#include <QString>

// The name the document is saved under: a chosen name whose file name has no extension gets ".pdf";
// any other name (".pdf" in any case, or another extension the user typed) is kept. Empty stays empty.
[[nodiscard]] QString withPdfExtension(const QString& chosen);

// Copies the finished document to destination as AtomicReplace writes a file: complete beside it first, so a file
// already there is either replaced whole or left as it was. A file there that the user may not write is refused.
// On failure the temporary file is removed and the message names the destination and the reason (title "Save").
[[nodiscard]] StageResult saveDocument(const QString& source, const QString& destination);
