#pragma once

#include "platform/Clock.h"

// A clock that stands still at the moment it was set to.
class FixedClock final : public Clock
{
public:
    explicit FixedClock(QDateTime moment = {}) : m_moment(std::move(moment)) {}
    [[nodiscard]] QDateTime now() const override { return m_moment; }
    void set(QDateTime moment) { m_moment = std::move(moment); }

private:
    QDateTime m_moment;
};
