// The program's window on the offscreen platform, attached to its form, loaded,
// shown at 800 by 600 and settled: what the adapter's tests start from.
#pragma once

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>

#include "app/Form.h"
#include "platform/QtCanvas.h"
#include "platform/QtPlatform.h"
#include "platform/QtWindow.h"

namespace quillon {

struct Shown {
    QtPlatform platform;
    Form form{platform};
    Shown()
    {
        platform.attach(form);
        platform.window().setWindowTitle(QString::fromStdString(Form::initialCaption()));
        form.Form_Load();
        platform.window().show();
        platform.window().resize(800, 600);
        settle();
    }
    static void settle()
    {
        for (int k = 0; k < 5; ++k)
            QCoreApplication::processEvents();
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, QString text = {})
    {
        QKeyEvent down(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(platform.window().canvas(), &down);
        settle();
    }
    QMenu* menu(const char* name) { return platform.window().menuAction(name)->menu(); }
};

}  // namespace quillon
