#pragma once

#include "conversion/ConversionRun.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class Pdftk;

// Runs with the real stages: FreeImage, our page-PDF library and the pdftk that makePdftk gives (the one found
// beside the program or on PATH when makePdftk is empty), the workspace made under tempParent (the system's
// temporary folder when empty), the image reader allowed readerTimeout for one image (its default when zero).
[[nodiscard]] StagesFactory pdfStagesFactory(std::function<std::unique_ptr<Pdftk>()> makePdftk = {},
                                             QString tempParent = {}, std::chrono::seconds readerTimeout = {});
