#pragma once

#include <QList>
#include <QUrl>

// Opens a document or web address with the desktop's associated program.
class DocumentOpener
{
public:
    virtual ~DocumentOpener() = default;
    virtual bool openUrl(const QUrl& url) = 0;
};

class QtDocumentOpener final : public DocumentOpener
{
public:
    bool openUrl(const QUrl& url) override;
};

class ScriptedDocumentOpener final : public DocumentOpener
{
public:
    bool openUrl(const QUrl& url) override
    {
        m_opened.append(url);
        return true;
    }
    const QList<QUrl>& opened() const { return m_opened; }

private:
    QList<QUrl> m_opened;
};
