#pragma once

#include "platform/DocumentOpener.h"

#include <QList>
#include <functional>

// Records what would have been opened; an optional hook runs at each opening.
class ScriptedDocumentOpener final : public DocumentOpener
{
public:
    bool openUrl(const QUrl& url) override
    {
        m_opened.append(url);
        if (onOpen) {
            onOpen(url);
        }
        return true;
    }
    const QList<QUrl>& opened() const { return m_opened; }

    std::function<void(const QUrl&)> onOpen;

private:
    QList<QUrl> m_opened;
};
