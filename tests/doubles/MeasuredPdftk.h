#pragma once

#include "platform/Pdftk.h"

#include <memory>

// Passes every call to another pdftk and counts the children it started and the wall time they took.
class MeasuredPdftk final : public Pdftk
{
public:
    explicit MeasuredPdftk(std::unique_ptr<Pdftk> inner) : m_inner(std::move(inner)) {}

    [[nodiscard]] QString program() const override { return m_inner->program(); }
    [[nodiscard]] bool isAvailable() const override { return m_inner->isAvailable(); }
    [[nodiscard]] PdftkResult RunPdftkAndWait(const QStringList& arguments) override;
    void abort() override { m_inner->abort(); }

    [[nodiscard]] int runCount() const { return m_runCount; }
    [[nodiscard]] double childSeconds() const { return double(m_childNanoseconds) / 1e9; }

private:
    std::unique_ptr<Pdftk> m_inner;
    int m_runCount = 0;
    qint64 m_childNanoseconds = 0;
};
