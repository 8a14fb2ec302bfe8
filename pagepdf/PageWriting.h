#pragma once

#include "pagepdf/PageImage.h"

#include <QString>

#include <vector>

// A picture placed on the page, its rectangle in 0.1 mm from the page's top-left corner. The picture stands upright
// in it, turned and mirrored as its orientation says, by the drawing matrix alone.
struct PlacedImage
{
    PageImage image;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// One page: its size in 0.1 mm, the pictures on it in drawing order, and the name recorded as the document's
// Producer and Creator (none when empty).
struct PageContent
{
    int width = 0;
    int height = 0;
    QString productName;
    std::vector<PlacedImage> images;
};

// Writes the page as a one-page PDF file. The file is replaced whole, so a half-written page is never seen under its
// name; pages are scratch files of one run, so they are not forced to the disk. On failure returns false and sets
// *error to a sentence naming the file and the reason.
[[nodiscard]] bool writePage(const QString& file, const PageContent& page, QString* error);
