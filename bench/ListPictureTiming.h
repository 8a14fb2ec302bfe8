#pragma once

#include <QString>

// Fills the real window's list with a folder of `entries` photos through "Add Folder" (made under scratch once) and
// prints the time until every row in sight has its picture, the time until the reader has nothing left to read,
// the window's longest stall while filling and while scrolling the list from top to bottom, and the bytes of the
// pictures kept.
int measureListPictures(int entries, const QString& scratch);
