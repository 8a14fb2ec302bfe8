#include "platform/QtSystemDialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

namespace {

std::optional<QString> runFileDialog(QWidget* owner, const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(owner, request.caption, request.startFolder);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The overwrite question is the caller's business: a save replaces the chosen file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!request.filters.isEmpty()) {
        dialog.setNameFilters(request.filters);
        if (request.selectedFilter >= 0 && request.selectedFilter < request.filters.size()) {
            dialog.selectNameFilter(request.filters.at(request.selectedFilter));
        }
    }
    if (!request.defaultSuffix.isEmpty()) {
        dialog.setDefaultSuffix(request.defaultSuffix);
    }
    if (!request.startName.isEmpty()) {
        dialog.selectFile(request.startName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace

std::optional<QString> QtSystemDialogs::openFile(QWidget* owner, const FileDialogRequest& request)
{
    return runFileDialog(owner, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtSystemDialogs::saveFile(QWidget* owner, const FileDialogRequest& request)
{
    return runFileDialog(owner, request, QFileDialog::AcceptSave);
}

std::optional<QString> QtSystemDialogs::folder(QWidget* owner, const QString& caption)
{
    const QString chosen = QFileDialog::getExistingDirectory(owner, caption);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen;
}

std::optional<QColor> QtSystemDialogs::color(QWidget* owner, const QColor& initial, bool fullOpen)
{
    QColorDialog dialog(initial, owner);
    // Qt's colour dialog always shows its custom part; the compact form is the native one without it.
    dialog.setOption(QColorDialog::DontUseNativeDialog, fullOpen);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.selectedColor();
}

std::optional<FontChoice> QtSystemDialogs::font(QWidget* owner, const FontRequest& request)
{
    QFont initial(request.family);
    if (request.pixelHeight != 0) {
        initial.setPixelSize(std::abs(request.pixelHeight));
    }
    initial.setBold(request.bold);
    initial.setItalic(request.italic);
    initial.setUnderline(request.underline);
    bool accepted = false;
    const QFont chosen = QFontDialog::getFont(&accepted, initial, owner);
    if (!accepted) {
        return std::nullopt;
    }
    FontChoice choice;
    choice.family = chosen.family();
    qreal points = chosen.pointSizeF();
    if (points <= 0) {
        points = chosen.pixelSize() * 72.0 / screenDpiY();
    }
    choice.pointSizeTenths = static_cast<int>(points * 10.0 + 0.5);
    choice.bold = chosen.bold();
    choice.italic = chosen.italic();
    return choice;
}

bool QtSystemDialogs::printer(QWidget* owner)
{
    QPrinter printer;
    QPrintDialog dialog(&printer, owner);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    return dialog.exec() == QDialog::Accepted;
}

bool QtSystemDialogs::printerProperties(QWidget* owner)
{
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull()) {
        return false;
    }
    QPrinter printer(defaultPrinter);
    QPageSetupDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

int QtSystemDialogs::screenDpiY() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}
