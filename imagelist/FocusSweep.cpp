#include "imagelist/FocusSweep.h"

#include <QAbstractButton>

void focusSweep(const QList<QAbstractButton*>& buttons, bool enableFirst)
{
    for (QAbstractButton* button : buttons) {
        if (enableFirst) {
            button->setEnabled(true);
        }
        if (button->isEnabled() && button->isVisible()) {
            button->setFocus(Qt::OtherFocusReason);
        }
    }
}
