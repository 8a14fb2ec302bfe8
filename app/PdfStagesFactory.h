#pragma once

#include "conversion/ConversionRun.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class Pdftk;
class PdftkCheck;

// Runs with the real stages: FreeImage, our page-PDF library and the pdftk that makePdftk gives (the one found
// beside the program or on PATH, run warm, when makePdftk is empty), the workspace made under tempParent (the system's
// temporary folder when empty). Whether pdftk works is asked once for all these runs, on a pdftk of its own from
// makePdftk, in the background from the moment the factory is made (the program's start-up), unless check is
// given. The image reader may take readerTimeout over one image (its default when zero).
[[nodiscard]] StagesFactory pdfStagesFactory(std::function<std::unique_ptr<Pdftk>()> makePdftk = {},
                                             QString tempParent = {}, std::shared_ptr<PdftkCheck> check = {},
                                             std::chrono::seconds readerTimeout = {});
