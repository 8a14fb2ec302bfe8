#pragma once

#include "conversion/ConversionRun.h"

#include <QString>
#include <functional>
#include <memory>

class Pdftk;

// Runs with the real stages: FreeImage, our page-PDF library and the pdftk that makePdftk gives (the one found
// beside the program or on PATH when makePdftk is empty), the workspace made under tempParent (the system's
// temporary folder when empty).
[[nodiscard]] StagesFactory pdfStagesFactory(std::function<std::unique_ptr<Pdftk>()> makePdftk = {},
                                             QString tempParent = {});
