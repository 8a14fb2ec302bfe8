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

// tmp/tmp1.pdf as a copy of jpgtmp/0.pdf, replacing a file that is there: the joined document of a single page.
[[nodiscard]] StageResult copyFirstPageFile(const Workspace& workspace, const QString& entry);

// pdftk's arguments that join inputs, in this order, into output; and those of the info step for count pages.
[[nodiscard]] QStringList joinArguments(const QStringList& inputs, const QString& output);
[[nodiscard]] QStringList infoArguments(const Workspace& workspace, int count);

// One pdftk call that must leave a PDF in output. A call that fails warm is repeated as a pdftk process (and the
// run keeps to processes from there on) before it counts as failed.
struct PdftkStep
{
    QStringList arguments;
    QStringList inputs; // the PDFs it reads: their size tells how much room the output needs
    QString output;
    qint64 expectedPages = -1; // the page count output must declare; -1: not checked here
    QString what;              // the step in a message: "<what> failed: <why>."
};

// Runs step; on failure the message says what failed and why, and nothing the step wrote is left. refused (when
// given) tells whether pdftk ran and failed on what it was given, rather than being stopped, not starting or
// finding no room for its output.
[[nodiscard]] StageResult runPdftkStep(Pdftk& pdftk, const PdftkStep& step, bool* refused = nullptr);

// The info step: tmp/tmp<count>.pdf with tmp/info.txt -> tmp/tmpx.pdf.
[[nodiscard]] StageResult applyDocumentInfo(Pdftk& pdftk, const Workspace& workspace, int count);
