#include <QApplication>

#include "app/Form.h"
#include "platform/QtPlatform.h"
#include "platform/QtWindow.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // The desktop entry's name: the taskbar finds the program's icon by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillon.Quillon"));
    quillon::QtPlatform platform;
    quillon::Form form(platform);
    platform.window().setWindowTitle(QString::fromStdString(quillon::Form::initialCaption()));
    platform.attach(form);
    form.Form_Load();
    platform.window().show();
    return application.exec();
}
