#pragma once

#include "platform/SystemDialogs.h"

// The real dialogs: Qt's file, folder, colour, font and print dialogs.
class QtSystemDialogs final : public SystemDialogs
{
public:
    std::optional<QString> openFile(QWidget* owner, const FileDialogRequest& request) override;
    std::optional<QString> saveFile(QWidget* owner, const FileDialogRequest& request) override;
    std::optional<QString> folder(QWidget* owner, const QString& caption) override;
    std::optional<QColor> color(QWidget* owner, const QColor& initial, bool fullOpen) override;
    std::optional<FontChoice> font(QWidget* owner, const FontRequest& request) override;
    bool printer(QWidget* owner) override;
    bool printerProperties(QWidget* owner) override;
    int screenDpiY() const override;
};
