#include "platform/MessageBoxes.h"

#include <QMessageBox>

std::unique_ptr<QMessageBox> makeMessageBox(QWidget* owner, MessageIcon icon, const QString& title, const QString& text)
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
    auto box = std::make_unique<QMessageBox>(qtIcon, title, QString(), QMessageBox::Ok, owner);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    return box;
}

void QtMessageBoxes::show(QWidget* owner, MessageIcon icon, const QString& title, const QString& text)
{
    makeMessageBox(owner, icon, title, text)->exec();
}
