#pragma once

#include "conversion/ConversionStages.h"

#include <QStringList>

class Pdftk;
class Workspace;

// Before any work: is pdftk there and does it run? On failure the message says how to install it.
[[nodiscard]] StageResult checkPdftk(Pdftk& pdftk);

// tmp/tmp1.pdf as a copy of jpgtmp/0.pdf, replacing a file that is there.
[[nodiscard]] StageResult copyFirstPageFile(const Workspace& workspace);

// The pdftk arguments of join number index (1 to N-1) and of the info step for count pages.
[[nodiscard]] QStringList joinArguments(const Workspace& workspace, int index);
[[nodiscard]] QStringList infoArguments(const Workspace& workspace, int count);

// Join number index: tmp/tmp<index>.pdf + jpgtmp/<index>.pdf -> tmp/tmp<index+1>.pdf; then the first input goes.
[[nodiscard]] StageResult joinPage(Pdftk& pdftk, const Workspace& workspace, int index);

// The info step: tmp/tmp<count>.pdf with tmp/info.txt -> tmp/tmpx.pdf.
[[nodiscard]] StageResult applyDocumentInfo(Pdftk& pdftk, const Workspace& workspace, int count);
