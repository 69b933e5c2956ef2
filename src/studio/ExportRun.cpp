#include "studio/ExportRun.h"

#include <QMetaObject>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>

#include "render/cli/Progress.h"
#include "render/engine/Bands.h"

namespace quillon::studio {

using namespace render;

namespace {

// Thrown from the progress when the export is cancelled.
struct Cancelled {};

}  // namespace

ExportRun::ExportRun(Plan plan, const QString& what, QWidget* window)
    : QObject(window),
      what_(what),
      job_(plan.jobs.at(0)),
      video_(plan.video),
      total_(std::max<uint64_t>(1, plan.video ? plan.video->frames()
                                                  : render::progressTotal(plan.jobs.at(0).settings, plan.jobs.at(0).path)))
{
    auto* progress = new QProgressDialog("Exporting " + path() + "…", "Cancel", 0, 1000, window);
    progress->setWindowTitle(what);
    // The window goes on meanwhile; closing it asks first (see MainWindow::closeEvent).
    progress->setWindowModality(Qt::NonModal);
    progress->setMinimumDuration(0);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumWidth(420);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress_ = progress;
    auto* tick = new QTimer(progress);
    connect(tick, &QTimer::timeout, this, &ExportRun::showProgress);
    tick->start(100);
    connect(progress, &QProgressDialog::canceled, this, [this] { cancel_ = true; });

    thread_ = std::thread([this] {
        QString error;
        bool cancelled = false;
        const auto told = [this](uint64_t done) {
            done_ = done;
            if (cancel_)
                throw Cancelled{};
        };
        try {
            if (video_)
                makeVideo(job_.settings, *video_, job_.path, told);
            else
                renderToFile(job_.settings, job_.path, told);
        } catch (const Cancelled&) {
            cancelled = true;
        } catch (const std::exception& e) {
            error = QString::fromStdString(e.what());
        }
        // Dropped when the run is gone first: its destructor waited for this thread.
        QMetaObject::invokeMethod(
            this,
            [this, cancelled, error] {
                if (thread_.joinable())
                    thread_.join();
                if (progress_)
                    progress_->close();
                emit ended(cancelled, error);
            },
            Qt::QueuedConnection);
    });
}

ExportRun::~ExportRun()
{
    cancel_ = true;
    if (thread_.joinable())
        thread_.join();
    if (progress_)
        progress_->close();
}

QString ExportRun::progressText(uint64_t done, uint64_t total, bool frames, double seconds)
{
    done = std::min(done, total);
    QString text = frames ? QString("%1 of %2 frames").arg(done).arg(total)
                          : QString("%1 % of the points")
                                .arg(100.0 * static_cast<double>(done) / static_cast<double>(total), 0, 'f', 0);
    // The rate so far tells the rest, once there is a rate.
    if (done > 0 && done < total)
        text += QString(", about %1 left")
                    .arg(QString::fromStdString(Progress::timeText(seconds * static_cast<double>(total - done) /
                                                                   static_cast<double>(done))));
    return text;
}

void ExportRun::showProgress()
{
    if (!progress_)
        return;
    const uint64_t done = std::min<uint64_t>(done_, total_);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    progress_->setValue(static_cast<int>(1000.0 * static_cast<double>(done) / static_cast<double>(total_)));
    progress_->setLabelText("Exporting " + path() + "…\n" + progressText(done, total_, video_.has_value(), seconds));
}

}  // namespace quillon::studio
