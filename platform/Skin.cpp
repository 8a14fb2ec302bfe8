#include "platform/Skin.h"

#include <QColor>
#include <QFile>

static void initSkinResource()
{
    // The skin lives in a static library: its resources must be registered by hand.
    Q_INIT_RESOURCE(skin);
}

PagewellSkin::PagewellSkin(QString styleSheetResource) : m_resource(std::move(styleSheetResource))
{
    initSkinResource();
}

void PagewellSkin::SkinH_Attach()
{
    QFile file(m_resource);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        m_styleSheet = QString::fromUtf8(file.readAll());
    }
}

void PagewellSkin::SkinH_Aero(QWidget* window)
{
    m_window = window;
    apply();
}

void PagewellSkin::SkinH_Aero_Adjust(int alpha, int, int, int, int, int, int, int, int)
{
    // The first value sets how light the window's panels are (0 dark .. 255 white).
    m_lightness = qBound(0, alpha, 255);
    apply();
}

void PagewellSkin::SkinH_Detach()
{
    if (m_window) {
        m_window->setStyleSheet(QString());
    }
    m_window = nullptr;
    m_styleSheet.clear();
}

void PagewellSkin::apply()
{
    if (!m_window || m_styleSheet.isEmpty()) {
        return;
    }
    const QColor panel = QColor::fromHsl(212, 40, m_lightness);
    const QColor edge = QColor::fromHsl(212, 35, qMax(0, m_lightness - 45));
    QString sheet = m_styleSheet;
    sheet.replace(QStringLiteral("@panel"), panel.name());
    sheet.replace(QStringLiteral("@edge"), edge.name());
    m_window->setStyleSheet(sheet);
}
