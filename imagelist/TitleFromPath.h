#pragma once

#include <QString>

// The document title offered for an opened file: the part of the path after its last "/" and before the first
// "." of that part. "/d/a.b/photo.2010.jpg" gives "photo"; ".hidden.jpg" and "" give "".
QString titleFromPath(const QString& path);
