#include "QtPrompts.h"

#include <QApplication>
#include <QMessageBox>

namespace evidor {

namespace {

QWidget* owner()
{
    return QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                             : QApplication::activeWindow();
}

} // namespace

void QtPrompts::message(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), QString::fromStdString(text),
                    QMessageBox::Ok, owner());
    box.exec();
}

IPrompts::Answer QtPrompts::messageBox(const std::string& text, const std::string& caption, Icon icon,
                                       Buttons buttons)
{
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::Information:
        qicon = QMessageBox::Information;
        break;
    case Icon::Warning:
        qicon = QMessageBox::Warning;
        break;
    case Icon::Error:
        qicon = QMessageBox::Critical;
        break;
    case Icon::Question:
        qicon = QMessageBox::Question;
        break;
    case Icon::None:
        break;
    }
    QMessageBox::StandardButtons set = QMessageBox::Ok;
    if (buttons == Buttons::OkCancel)
        set = QMessageBox::Ok | QMessageBox::Cancel;
    else if (buttons == Buttons::YesNo)
        set = QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(qicon, QString::fromStdString(caption), QString::fromStdString(text), set, owner());
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Ok;
    }
}

void QtPrompts::beep()
{
    QApplication::beep();
}

void QtPrompts::toneBeep(int, int)
{
    // Qt has no tone generator; the short default beep is the nearest the desktop offers.
    QApplication::beep();
}

} // namespace evidor
