#pragma once

#include <functional>

// How one page is made, said by name: what the window's page controls stand at when the page is made. The run hands
// it to the page's making, which turns it into the page library's settings.
struct PageDescription
{
    int quality = 80; // of the page's JPEG picture, 1 to 100
};

// Reads the page controls; asked once for each page, at the moment its settings are made.
using PageDescriptionSource = std::function<PageDescription()>;
