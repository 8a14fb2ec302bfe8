#pragma once

#include "conversion/ConversionStages.h"

#include <QStringList>

class Pdftk;
struct PdftkResult;
class Workspace;

// Is pdftk there to be run? On failure the message says how to install it.
[[nodiscard]] StageResult pdftkPresence(const Pdftk& pdftk);
// Does it work, judging by how `pdftk --version` ended? On failure the message says how to install it.
[[nodiscard]] StageResult pdftkVersionAnswer(const Pdftk& pdftk, const PdftkResult& versionRun);

// tmp/tmp1.pdf as a copy of jpgtmp/0.pdf, replacing a file that is there.
[[nodiscard]] StageResult copyFirstPageFile(const Workspace& workspace);

// The pdftk arguments of join number index (1 to N-1) and of the info step for count pages.
[[nodiscard]] QStringList joinArguments(const Workspace& workspace, int index);
[[nodiscard]] QStringList infoArguments(const Workspace& workspace, int count);

// Join number index: tmp/tmp<index>.pdf + jpgtmp/<index>.pdf -> tmp/tmp<index+1>.pdf; then the first input goes.
[[nodiscard]] StageResult joinPage(Pdftk& pdftk, const Workspace& workspace, int index);

// The info step: tmp/tmp<count>.pdf with tmp/info.txt -> tmp/tmpx.pdf.
[[nodiscard]] StageResult applyDocumentInfo(Pdftk& pdftk, const Workspace& workspace, int count);
