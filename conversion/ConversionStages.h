#pragma once

#include "conversion/PageDescription.h"
#include "imagereader/ImageFile.h"

#include <QList>
#include <QString>
#include <functional>

// What a failed stage tells the user: the message box's title and text (critical icon).
struct StageResult
{
    bool ok = true;
    QString title; // "Convert", "Save", "PDF" or "Image": the run shows it in the user's language
    QString text;  // already in the user's language

    [[nodiscard]] static StageResult success() { return {}; }
    [[nodiscard]] static StageResult failure(QString title, QString text)
    {
        return {false, std::move(title), std::move(text)};
    }
};

// The document information as the run read it from the window, once, before the first page.
struct DocumentInfo
{
    QString title;
    QString author;
    QString creationDate;
    QString subject;
    QString keywords;
};

// The stages of one conversion run, in the order the run calls them. One object serves one run.
// The run owns the order, the texts and the enabling; the stages own the files.
class ConversionStages
{
public:
    virtual ~ConversionStages() = default;

    // Before any work: are the outside tools there?
    [[nodiscard]] virtual StageResult checkTools() = 0;
    // The run's private workspace with tmp/ and jpgtmp/.
    [[nodiscard]] virtual StageResult prepareWorkspace() = 0;
    // tmp/info.txt from the document information.
    [[nodiscard]] virtual StageResult writeInfo(const DocumentInfo& info) = 0;
    // jpgtmp/<index>.pdf: the one-page document of the image. describe() is read when the page is built.
    [[nodiscard]] virtual StageResult makePage(int index, const ImageFile& image,
                                               const PageDescriptionSource& describe) = 0;
    // The entry whose page comes after the one makePage() is about to make: its reading may start early.
    virtual void readAhead(const ImageFile& next) { Q_UNUSED(next) }
    // The join of jpgtmp/0.pdf to jpgtmp/<count-1>.pdf, in page order, into tmp/tmp<count>.pdf: how many pages each
    // of its steps puts together, in the order join() runs them. A single page is one step, its copy.
    [[nodiscard]] virtual QList<int> planJoin(int count) = 0;
    // Step number step of that plan; after the last, tmp/tmp<count>.pdf holds every page.
    [[nodiscard]] virtual StageResult join(int step) = 0;
    // tmp/tmp<count>.pdf with the document information -> tmp/tmpx.pdf.
    [[nodiscard]] virtual StageResult applyInfo(int count) = 0;
    // The finished document to the destination, never leaving it half-written.
    [[nodiscard]] virtual StageResult saveTo(const QString& destination) = 0;
    // Removes the workspace and everything in it. Safe to call more than once.
    virtual void removeWorkspace() = 0;
    // The window is closing: stop any child program at once; later stages may be skipped.
    virtual void abort() = 0;
};
