#include <QApplication>

#include "app/Form.h"
#include "platform/QtPlatform.h"
#include "platform/QtWindow.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    quillon::QtPlatform platform;
    quillon::Form form(platform);
    platform.window().setWindowTitle(QString::fromStdString(quillon::Form::initialCaption()));
    platform.attach(form);
    form.Form_Load();
    platform.window().show();
    return application.exec();
}
