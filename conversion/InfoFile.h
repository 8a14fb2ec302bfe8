#pragma once

#include "conversion/ConversionStages.h"

#include <QByteArray>
#include <QString>

// The document information in the form pdftk's update_info_utf8 reads: UTF-8 without a byte-order mark,
// CR LF line ends, and an "InfoBegin" line before every key, because pdftk-java keeps only the first key
// otherwise. Creator and Producer are the product name. A line break or other control character in a field
// becomes a blank, so a field can never add or change a key.
[[nodiscard]] QByteArray infoFileBytes(const DocumentInfo& info);

// Writes infoFileBytes(info) to path, replacing what is there.
[[nodiscard]] bool writeInfoFile(const QString& path, const DocumentInfo& info, QString* error);
