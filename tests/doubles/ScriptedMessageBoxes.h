#pragma once

#include "platform/MessageBoxes.h"

#include <QList>
#include <functional>

// Records every message instead of showing it; an optional hook runs while the "box" is up.
class ScriptedMessageBoxes final : public MessageBoxes
{
public:
    struct Shown
    {
        MessageIcon icon;
        QString title;
        QString text;
    };

    void show(QWidget*, MessageIcon icon, const QString& title, const QString& text) override
    {
        m_shown.append({icon, title, text});
        if (m_whileShown) {
            m_whileShown(m_shown.last());
        }
    }

    const QList<Shown>& shown() const { return m_shown; }
    void clear() { m_shown.clear(); }
    void setWhileShown(std::function<void(const Shown&)> hook) { m_whileShown = std::move(hook); }

private:
    QList<Shown> m_shown;
    std::function<void(const Shown&)> m_whileShown;
};
