#pragma once

#include <QString>

class QWidget;

enum class MessageIcon { None, Information, Exclamation, Critical };

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
