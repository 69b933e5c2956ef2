// An export under way: quillon-render's plan of the command the export
// dialog showed, run on a thread of its own, with a progress dialog that
// tells the time left and can cancel it. A cancelled or failed export leaves
// no file.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "render/cli/Options.h"

class QProgressDialog;
class QWidget;

namespace quillon::studio {

class ExportRun : public QObject {
    Q_OBJECT
public:
    // Starts the plan's one job: a video when the plan has one, else a
    // picture. `what` names it in the dialog ("Export Video").
    ExportRun(render::Plan plan, const QString& what, QWidget* window);
    // Stops the export (its file is not written) and waits for it.
    ~ExportRun() override;

    const QString& what() const { return what_; }
    QString path() const { return QString::fromStdString(job_.path); }
    void cancel() { cancel_ = true; }

    // "12 of 60 frames, about 0:31 left": the progress told to the user.
    static QString progressText(uint64_t done, uint64_t total, bool frames, double seconds);

signals:
    // Once, on the interface thread: written, or cancelled, or the error.
    void ended(bool cancelled, const QString& error);

private:
    void showProgress();

    const QString what_;
    const render::Job job_;
    const std::optional<render::VideoSettings> video_;
    const uint64_t total_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::atomic<bool> cancel_{false};
    std::atomic<uint64_t> done_{0};
    QPointer<QProgressDialog> progress_;
    std::thread thread_;
};

}  // namespace quillon::studio
