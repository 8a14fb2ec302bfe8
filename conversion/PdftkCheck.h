#pragma once

#include "conversion/ConversionStages.h"

#include <memory>
#include <optional>

class Pdftk;
class EventWait;

// Whether pdftk is there and works (pdftk --version), asked once per program session: in the background from the
// moment this object is made, so that a run waits for the answer only while it is still out. A failed answer is
// asked again by the next run, since the user may have installed pdftk meanwhile.
class PdftkCheck
{
public:
    explicit PdftkCheck(std::unique_ptr<Pdftk> pdftk);
    ~PdftkCheck();
    PdftkCheck(const PdftkCheck&) = delete;
    PdftkCheck& operator=(const PdftkCheck&) = delete;

    // The answer; on failure the message for the user. Waits for it while it is out, the window staying live.
    [[nodiscard]] StageResult result();
    // The window is closing: a wait in result() ends at once.
    void stopWaiting();

private:
    void ask();

    std::unique_ptr<Pdftk> m_pdftk;
    std::optional<StageResult> m_answer;
    bool m_asking = false;
    EventWait* m_wait = nullptr;
};
