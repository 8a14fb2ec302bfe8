#include "platform/MessageBoxes.h"

#include <QMessageBox>

void QtMessageBoxes::show(QWidget* owner, MessageIcon icon, const QString& title, const QString& text)
{
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
    case MessageIcon::None:
        break;
    case MessageIcon::Information:
        qtIcon = QMessageBox::Information;
        break;
    case MessageIcon::Exclamation:
        qtIcon = QMessageBox::Warning;
        break;
    case MessageIcon::Critical:
        qtIcon = QMessageBox::Critical;
        break;
    }
    QMessageBox box(qtIcon, title, text, QMessageBox::Ok, owner);
    box.exec();
}
