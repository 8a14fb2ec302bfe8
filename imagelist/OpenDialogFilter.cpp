#include "imagelist/OpenDialogFilter.h"

#include "imagereader/format/FormatTable.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstring>

QString openDialogFilter()
{
    QStringList pieces;
    const char* type = nullptr;
    QStringList patterns;
    const auto endType = [&] {
        if (type != nullptr) {
            pieces << QCoreApplication::translate("ToolBarCommands", type) << patterns.join(QLatin1Char(';'));
        }
        patterns.clear();
    };
    for (const FormatExtension& row : formatExtensions()) {
        if (row.dialogType == nullptr) {
            continue;
        }
        if (type == nullptr || std::strcmp(type, row.dialogType) != 0) {
            endType();
            type = row.dialogType;
        }
        patterns << QStringLiteral("*.") + QString::fromLatin1(row.extension.data(), qsizetype(row.extension.size()));
    }
    endType();
    pieces << QCoreApplication::translate("ToolBarCommands", "All Files(*.*)") << QStringLiteral("*.*");
    return pieces.join(QLatin1Char('|'));
}
