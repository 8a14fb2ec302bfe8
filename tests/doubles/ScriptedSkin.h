#pragma once

#include "platform/Skin.h"

#include <QStringList>

// Records the skin calls in the order they come.
class ScriptedSkin final : public Skin
{
public:
    void SkinH_Attach() override { calls << QStringLiteral("Attach"); }
    void SkinH_Aero(QWidget* window) override
    {
        calls << QStringLiteral("Aero:%1").arg(window ? window->objectName() : QStringLiteral("null"));
    }
    void SkinH_Aero_Adjust(int a1, int a2, int a3, int a4, int a5, int a6, int a7, int a8, int a9) override
    {
        calls << QStringLiteral("Adjust:%1,%2,%3,%4,%5,%6,%7,%8,%9").arg(a1).arg(a2).arg(a3).arg(a4).arg(a5).arg(a6).arg(
                     a7).arg(a8).arg(a9);
    }
    void SkinH_Detach() override { calls << QStringLiteral("Detach"); }

    QStringList calls;
};
