#pragma once

#include <QString>

#include <memory>

class QMessageBox;
class QWidget;

enum class MessageIcon
{
    None,
    Information,
    Exclamation,
    Critical
};

// Modal message boxes; tests answer them through a scripted stand-in.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    virtual void show(QWidget* owner, MessageIcon icon, const QString& title, const QString& text) = 0;
};

class QtMessageBoxes final : public MessageBoxes
{
public:
    void show(QWidget* owner, MessageIcon icon, const QString& title, const QString& text) override;
};

// The box QtMessageBoxes shows, not shown yet. Its text is plain text, never markup: every message may name a
// user's file or carry a helper's words, and a tag in them (an image's, say) would otherwise be acted on.
[[nodiscard]] std::unique_ptr<QMessageBox> makeMessageBox(QWidget* owner, MessageIcon icon, const QString& title,
                                                          const QString& text);
