#pragma once

#include "platform/Pdftk.h"

#include <memory>

// Passes every call to another pdftk and counts the pdftk runs it made (in children or warm) and their wall time.
class MeasuredPdftk final : public Pdftk
{
public:
    explicit MeasuredPdftk(std::unique_ptr<Pdftk> inner) : m_inner(std::move(inner)) {}

    [[nodiscard]] QString program() const override { return m_inner->program(); }
    [[nodiscard]] bool isAvailable() const override { return m_inner->isAvailable(); }
    [[nodiscard]] PdftkResult RunPdftkAndWait(const QStringList& arguments) override;
    void prepare(bool warmUp) override { m_inner->prepare(warmUp); }
    void fallBackToProcesses() override { m_inner->fallBackToProcesses(); }
    // Not counted: a question asked in the background, not a step of a run.
    void startPdftk(const QStringList& arguments, std::function<void(const PdftkResult&)> whenDone) override
    {
        m_inner->startPdftk(arguments, std::move(whenDone));
    }
    void abort() override { m_inner->abort(); }
    void setCallLimit(std::chrono::milliseconds limit) override { m_inner->setCallLimit(limit); }

    [[nodiscard]] int runCount() const { return m_runCount; }
    // The runs that were done warm.
    [[nodiscard]] int warmRunCount() const { return m_warmRunCount; }
    [[nodiscard]] double childSeconds() const { return double(m_childNanoseconds) / 1e9; }

private:
    std::unique_ptr<Pdftk> m_inner;
    int m_runCount = 0;
    int m_warmRunCount = 0;
    qint64 m_childNanoseconds = 0;
};
