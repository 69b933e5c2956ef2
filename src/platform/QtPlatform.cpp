#include "platform/QtPlatform.h"

#include <QApplication>
#include <QFileDialog>
#include <QImageWriter>
#include <QSaveFile>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QTime>

#include <cstdio>
#include <cstdlib>

#include "app/Form.h"
#include "render/image/OutputFile.h"
#include "render/image/PngFile.h"
#include "platform/QtCanvas.h"
#include "platform/QtWindow.h"

namespace quillon {

namespace {

constexpr qint64 kPumpSliceNs = 1'000'000;      // real events at most once a millisecond
constexpr qint64 kTimer2IntervalNs = 1'000'000;  // Timer2's 1 ms
constexpr qint64 kRepaintNs = 16'000'000;        // display rate
constexpr qint64 kCheckTooSoonNs = 20'000;
constexpr qint64 kCheckTooLateNs = 200'000;
constexpr uint32_t kMaxStride = 4096;
constexpr const char* kProgramName = "QUILLON";

QString fromLines(const std::string& text)
{
    // Boxes receive lines joined by CR LF.
    return QString::fromStdString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

}  // namespace

QtPlatform::QtPlatform() : window_(std::make_unique<QtWindow>(*this))
{
    onEnd = [] {
        std::fflush(nullptr);
        std::_Exit(0);
    };
    timer1_.setInterval(10000);
    timer1_.setTimerType(Qt::PreciseTimer);  // slides of ten seconds, not a little less
    clock_.start();
    window_->placeOnScreen();
}

QtPlatform::~QtPlatform() = default;

void QtPlatform::attach(Form& form)
{
    form_ = &form;
    window_->attach(form);
    QObject::connect(&timer1_, &QTimer::timeout, [this] { form_->Timer1_Timer(); });
    window_->canvas()->onResized = [this] { windowResized(); };
    timer1_.start();  // enabled at design time; the form's load disables it
}

void QtPlatform::windowResized()
{
    ratio_ = window_->canvas()->devicePixelRatioF();
    window_surface_.resizeLogical(window_->canvas()->size(), ratio_);
    setScaleExtents(window_surface_.scaleWidth(), window_surface_.scaleHeight());
    if (form_)
        form_->Form_Resize();
}

double QtPlatform::outerWidth() const
{
    return window_->frameGeometry().width() * QtSurface::kUnitsPerPixel;
}

double QtPlatform::outerHeight() const
{
    return window_->frameGeometry().height() * QtSurface::kUnitsPerPixel;
}

std::string QtPlatform::caption() const { return window_->windowTitle().toStdString(); }

void QtPlatform::setCaption(const std::string& text)
{
    window_->setWindowTitle(QString::fromStdString(text));
}

// pic1 has the device resolution of the window's screen: its logical size
// (the window's outer size) times the ratio.
void QtPlatform::setPictureHeight(double height)
{
    const int pixels = qMax(1, qRound(height / QtSurface::kUnitsPerPixel * ratio_));
    picture_.resizePixels(QSize(picture_.pixelSize().width(), pixels), ratio_);
}

void QtPlatform::setPictureWidth(double width)
{
    const int pixels = qMax(1, qRound(width / QtSurface::kUnitsPerPixel * ratio_));
    picture_.resizePixels(QSize(pixels, picture_.pixelSize().height()), ratio_);
}

void QtPlatform::refresh(Surface which)
{
    if (which == Surface::Window)
        window_->canvas()->update();
}

void QtPlatform::flush()
{
    // The area drawn on is in device pixels; the repaint is asked in logical ones.
    const QRect drawn = window_surface_.takeDirty();
    if (!drawn.isEmpty()) {
        const qreal ratio = window_surface_.ratio();
        window_->canvas()->update(
            QRectF(QPointF(drawn.topLeft()) / ratio, QSizeF(drawn.size()) / ratio).toAlignedRect());
    }
    lastRepaint_ = clock_.nsecsElapsed();
}

std::string QtPlatform::menuCaption(std::string_view item) const
{
    const QAction* action = window_->menuAction(item);
    return action ? action->text().toStdString() : std::string();
}

void QtPlatform::setMenuCaption(std::string_view item, const std::string& text)
{
    if (QAction* action = window_->menuAction(item))
        action->setText(QString::fromStdString(text));
}

void QtPlatform::setMenuVisible(std::string_view item, bool visible)
{
    if (QAction* action = window_->menuAction(item))
        action->setVisible(visible);
}

std::string QtPlatform::inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText)
{
    bool accepted = false;
    const QString answer =
        QInputDialog::getText(window_.get(), QString::fromStdString(title), fromLines(prompt),
                              QLineEdit::Normal, QString::fromStdString(defaultText), &accepted);
    return accepted ? answer.toStdString() : std::string();
}

MessageBoxAnswer QtPlatform::messageBox(const MessageBoxRequest& request)
{
    QMessageBox box(window_.get());
    box.setWindowTitle(QString::fromStdString(request.title.empty() ? kProgramName : request.title));
    box.setText(fromLines(request.text));
    switch (request.icon) {
    case MessageBoxRequest::Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MessageBoxRequest::Icon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageBoxRequest::Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    }
    if (request.buttons == MessageBoxRequest::Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(request.secondButtonDefault ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MessageBoxAnswer::Yes : MessageBoxAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageBoxAnswer::Ok;
}

std::optional<std::string> QtPlatform::saveFileDialog(const SaveDialogRequest& request)
{
    // "Bitmap|*.BMP" becomes the dialog's "Bitmap (*.BMP)".
    const QString filter = QString::fromStdString(request.filter);
    const qsizetype bar = filter.indexOf(QLatin1Char('|'));
    const QString shown = bar < 0 ? filter : filter.left(bar) + QStringLiteral(" (") + filter.mid(bar + 1) + QLatin1Char(')');
    QFileDialog dialog(window_.get());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(shown);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(request.flags & kOverwritePrompt));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

std::optional<std::string> QtPlatform::savePicture(const std::string& path, const PictureFacts& facts)
{
    // A name ending in .png keeps the caption and the figure in the picture, so
    // that quillon-render can make it again, larger. (The renderer's writer: Qt's
    // own would fold the caption's runs of blanks.)
    if (QString::fromStdString(path).endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return savePng(path, facts);
    // Written beside the chosen name and renamed when complete, so a failure
    // leaves no partial file under that name.
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString().toStdString();
    QImageWriter writer(&file, "bmp");
    if (!writer.write(picture_.image().convertToFormat(QImage::Format_RGB888))) {
        const QString reason = writer.errorString();
        file.cancelWriting();
        return (file.error() != QFileDevice::NoError ? file.errorString() : reason).toStdString();
    }
    if (!file.commit())
        return file.errorString().toStdString();
    return std::nullopt;
}

std::optional<std::string> QtPlatform::savePng(const std::string& path, const PictureFacts& facts)
{
    const QImage& picture = picture_.image();
    PictureFacts completed = facts;
    completed.width = picture.width();
    completed.height = picture.height();
    render::Image image = render::Image::blank(picture.width(), picture.height(), 8);
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            uint16_t* rgb = image.at(x, y);
            rgb[0] = static_cast<uint16_t>(qRed(row[x]));
            rgb[1] = static_cast<uint16_t>(qGreen(row[x]));
            rgb[2] = static_cast<uint16_t>(qBlue(row[x]));
        }
    }
    try {
        render::OutputFile file(path);
        render::writePng(file.tempPath(), image, pictureText(completed));
        file.commit();
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

void QtPlatform::setTimerEnabled(TimerId timer, bool enabled)
{
    // Timer2 ticks from the event pump for the whole run (see pump), the only
    // place where its flag is read; only Timer1 is a timer of its own.
    if (timer != TimerId::Timer1)
        return;
    if (enabled) {
        if (!timer1_.isActive())
            timer1_.start();
    } else
        timer1_.stop();
}

void QtPlatform::pumpEvents()
{
    doEventsCalls_ += pumpStride_;
    const qint64 now = clock_.nsecsElapsed();
    const qint64 sinceCheck = now - lastCheck_;
    lastCheck_ = now;
    if (sinceCheck < kCheckTooSoonNs && pumpStride_ < kMaxStride)
        pumpStride_ *= 2;
    else if (sinceCheck > kCheckTooLateNs && pumpStride_ > 1)
        pumpStride_ /= 2;
    if (now - lastPump_ >= kPumpSliceNs)
        pump(now);
}

void QtPlatform::pump(qint64 now)
{
    if (form_ && now - lastTimer2_ >= kTimer2IntervalNs) {
        lastTimer2_ = now;
        form_->Timer2_Timer();
    }
    if (now - lastRepaint_ >= kRepaintNs)
        flush();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // A key or menu item handled just now posted its command; run it in this
    // slice rather than the next one.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    // An open menu suspends the drawing until it closes.
    while (QApplication::activePopupWidget())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    lastPump_ = clock_.nsecsElapsed();
    lastCheck_ = lastPump_;
}

double QtPlatform::clockSeconds() const
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

std::string QtPlatform::decimalSeparator() const
{
    return QLocale::system().decimalPoint().toStdString();
}

void QtPlatform::endProgram()
{
    onEnd();
    std::_Exit(0);
}

}  // namespace quillon
