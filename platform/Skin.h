#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

// The skin layer: four calls made at start-up (attach, aero, adjust) and shut-down (detach), in that order.
// The program must look and work the same, only plainer, when the skin cannot be had.
class Skin
{
public:
    virtual ~Skin() = default;
    virtual void SkinH_Attach() = 0;
    virtual void SkinH_Aero(QWidget* window) = 0;
    virtual void SkinH_Aero_Adjust(int alpha, int a2, int a3, int a4, int a5, int a6, int a7, int a8, int a9) = 0;
    virtual void SkinH_Detach() = 0;
};

// The program's own look: a style sheet from the program's resources, tinted by the adjust call.
class PagewellSkin final : public Skin
{
public:
    // styleSheetResource: where the skin is found; an unreadable one leaves the window unskinned.
    explicit PagewellSkin(QString styleSheetResource = QStringLiteral(":/skin/pagewell.qss"));

    void SkinH_Attach() override;
    void SkinH_Aero(QWidget* window) override;
    void SkinH_Aero_Adjust(int alpha, int a2, int a3, int a4, int a5, int a6, int a7, int a8, int a9) override;
    void SkinH_Detach() override;

    [[nodiscard]] bool isAttached() const { return !m_styleSheet.isEmpty(); }

private:
    void apply();

    QString m_resource;
    QString m_styleSheet;
    QPointer<QWidget> m_window;
    int m_lightness = 235;
};
