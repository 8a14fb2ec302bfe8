#pragma once

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
