#include "platform/QtWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "app/CommandTables.h"
#include "app/Form.h"
#include "platform/QtCanvas.h"
#include "platform/QtPlatform.h"

namespace quillon {

namespace {

// The program's icon, a density picture of the Lorenz orbit made by the
// renderer: from the desktop's icon theme where the program is installed, else
// the copies built in. The window's own is the 32-pixel one in 256 colours.
QIcon makeIcon()
{
    QIcon builtIn;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QImage image(QStringLiteral(":/icons/org.quillon.Quillon-%1.png").arg(size));
        builtIn.addPixmap(QPixmap::fromImage(size == 32 ? image.convertToFormat(QImage::Format_Indexed8)
                                                        : image));
    }
    return QIcon::fromTheme(QStringLiteral("org.quillon.Quillon"), builtIn);
}

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

QtWindow::QtWindow(QtPlatform& platform) : platform_(platform)
{
    canvas_ = new QtCanvas(platform.surface(Surface::Window), this);
    setCentralWidget(canvas_);
    // The menu bar stays inside the window, also on desktops with a global menu
    // bar: there the top-level items that are commands (FIX, RESET, Save! ...)
    // are dropped or act strangely, and an open global menu is not this
    // program's popup, so it would not suspend the drawing as a menu must.
    menuBar()->setNativeMenuBar(false);
    setWindowIcon(makeIcon());
    setFocusPolicy(Qt::StrongFocus);
    qApp->installEventFilter(this);
}

QtWindow::~QtWindow() { qApp->removeEventFilter(this); }

void QtWindow::attach(Form& form)
{
    form_ = &form;
    QHash<QString, QMenu*> menus;
    for (const MenuEntry& entry : menuTable()) {
        const QString name = text(entry.name);
        QAction* action = nullptr;
        if (entry.parent == nullptr && !entry.command) {
            QMenu* menu = menuBar()->addMenu(text(entry.caption));
            menus.insert(name, menu);
            action = menu->menuAction();
        } else if (entry.separator) {
            action = menus.value(text(entry.parent))->addSeparator();
        } else {
            action = entry.parent ? menus.value(text(entry.parent))->addAction(text(entry.caption))
                                  : menuBar()->addAction(text(entry.caption));
            const Command command = entry.command;
            connect(action, &QAction::triggered, this, [this, command](bool) { postCommand(command); });
        }
        action->setObjectName(name);
        actions_.insert(name, action);
    }
}

QAction* QtWindow::menuAction(std::string_view itemName) const
{
    return actions_.value(QString::fromUtf8(itemName.data(), static_cast<qsizetype>(itemName.size())));
}

void QtWindow::post(std::function<void()> command)
{
    QMetaObject::invokeMethod(
        this,
        [this, command = std::move(command)] {
            if (onCommandStarted)
                onCommandStarted();
            platform_.commandBoundary();
            command();
            platform_.commandBoundary();
            platform_.flush();
        },
        Qt::QueuedConnection);
}

void QtWindow::postCommand(const Command& command)
{
    post([this, command] { form_->run(command); });
}

std::optional<int16_t> QtWindow::virtualKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Backspace: return keys::Backspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return keys::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return keys::Enter;
    case Qt::Key_Escape: return keys::Escape;
    case Qt::Key_Space: return keys::Space;
    default: break;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<int16_t>(keys::F1 + (qtKey - Qt::Key_F1));
    return std::nullopt;
}

bool QtWindow::takeKey(QKeyEvent* keyEvent)
{
    const Qt::KeyboardModifiers modifiers = keyEvent->modifiers();
    // Alt combinations stay with the toolkit: the menus' access keys, the system's own.
    if (modifiers & Qt::AltModifier)
        return false;
    // The command keys work whatever else is held: Shift, Ctrl or the logo key.
    const auto code = virtualKey(keyEvent->key());
    const bool command = code && Form::isCommandKey(*code);
    // "c" is a typed character: with Ctrl held the key types a control character
    // (Ctrl+C is copy to a user, not a new background), and logo-key
    // combinations belong to the desktop.
    const bool characterC = !(modifiers & (Qt::ControlModifier | Qt::MetaModifier)) &&
                            keyEvent->text() == QLatin1String("c");
    if (!command && !characterC)
        return false;
    if (keyEvent->type() == QEvent::ShortcutOverride) {
        keyEvent->accept();  // no shortcut may take a command key
        return true;
    }
    // The shift state as the key handler knows it: 1 Shift, 2 Ctrl.
    const auto shift = static_cast<int16_t>(((modifiers & Qt::ShiftModifier) ? 1 : 0) |
                                            ((modifiers & Qt::ControlModifier) ? 2 : 0));
    if (command)
        post([this, key = *code, shift] { form_->Form_KeyDown(key, shift); });
    else
        post([this] { form_->Form_KeyPress(keys::LowerC); });
    return true;
}

QtWindow::Placement QtWindow::placement(const QRect& available, QSize defaultSize,
                                        const QMargins& frame)
{
    const QSize outer = defaultSize.grownBy(frame);
    if (outer.width() <= available.width() && outer.height() <= available.height())
        return {defaultSize, std::nullopt};
    const QSize fitted = outer.boundedTo(available.size()).shrunkBy(frame).expandedTo(QSize(1, 1));
    const QSize framed = fitted.grownBy(frame);
    return {fitted, QPoint(available.x() + (available.width() - framed.width()) / 2,
                           available.y() + (available.height() - framed.height()) / 2)};
}

QMargins QtWindow::frameMargins() const
{
    const QRect inner = geometry();
    const QRect outer = frameGeometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

void QtWindow::placeOnScreen()
{
    const QScreen* screen = this->screen();
    if (!screen) {
        resize(kDefaultSize);
        return;
    }
    placedFrame_ = frameMargins();
    const Placement where = placement(screen->availableGeometry(), kDefaultSize, placedFrame_);
    resize(where.size);
    if (where.framePosition)
        move(*where.framePosition);  // a top-level window's position is its frame's
    placedSize_ = where.size;
}

void QtWindow::fitAfterFirstShow()
{
    // Before the window is shown, the window system may not tell its frame; once
    // it is on the screen the frame is known, and a window that its frame has
    // pushed over the edge is fitted again. A size set since is left alone.
    const bool unchanged = placedSize_ && size() == *placedSize_;
    placedSize_.reset();
    const QScreen* screen = this->screen();
    if (!unchanged || !screen || frameMargins() == placedFrame_)
        return;
    const QRect available = screen->availableGeometry();
    if (available.contains(frameGeometry()))
        return;
    const Placement where = placement(available, kDefaultSize, frameMargins());
    resize(where.size);
    if (where.framePosition)
        move(*where.framePosition);
}

bool QtWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && placedSize_ && watched == windowHandle() &&
        windowHandle()->isExposed()) {
        // Fitted from the event loop, once the window system has settled the frame.
        QTimer::singleShot(0, this, [this] { fitAfterFirstShow(); });
    }
    if (form_ && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this && !QApplication::activePopupWidget() &&
            !QApplication::activeModalWidget())
            return takeKey(static_cast<QKeyEvent*>(event));
    }
    return QMainWindow::eventFilter(watched, event);
}

void QtWindow::closeEvent(QCloseEvent* event)
{
    if (!form_) {
        event->accept();
        return;
    }
    form_->Form_Unload();
}

}  // namespace quillon
