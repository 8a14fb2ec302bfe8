#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

// The named-value store in which a control keeps its settings between sessions.
class PropertyStore
{
public:
    virtual ~PropertyStore() = default;
    [[nodiscard]] virtual QVariant read(const QString& name, const QVariant& defaultValue) const = 0;
    // A value equal to its default need not be stored.
    virtual void write(const QString& name, const QVariant& value, const QVariant& defaultValue) = 0;
};

class MemoryPropertyStore final : public PropertyStore
{
public:
    [[nodiscard]] QVariant read(const QString& name, const QVariant& defaultValue) const override
    {
        return m_values.value(name, defaultValue);
    }
    void write(const QString& name, const QVariant& value, const QVariant& defaultValue) override
    {
        if (value == defaultValue) {
            m_values.remove(name);
        } else {
            m_values.insert(name, value);
        }
    }
    [[nodiscard]] bool contains(const QString& name) const { return m_values.contains(name); }

private:
    QHash<QString, QVariant> m_values;
};
