// Files and pictures: Open (and drops), Paste Caption, Copy Picture, Keep
// and the kept pictures, and the exports.
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QListWidget>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>

#include "render/cli/Options.h"
#include "render/image/PngFile.h"
#include "studio/ExportDialog.h"
#include "studio/ExportRun.h"
#include "studio/InterfaceThread.h"
#include "studio/MainWindow.h"
#include "studio/OpenedFile.h"
#include "studio/PreviewCanvas.h"
#include "studio/RenderCommand.h"
#include "studio/VideoExportDialog.h"

namespace quillon::studio {

using namespace render;

namespace {

// The kept pictures' size.
constexpr int kKeptWidth = 240, kKeptHeight = 180;
constexpr uint64_t kKeptPoints = 3'000'000;

QString keptFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/kept";
}

}  // namespace

bool MainWindow::openPath(const QString& path)
{
    OpenedFile opened;
    try {
        opened = readOpenedFile(path.toStdString());
    } catch (const UsageError& e) {
        showError("Open", QString::fromStdString(e.what()));
        return false;
    }
    if (opened.kind == FileKind::Captions) {
        // A caption file: one of its captions, the last kept by default.
        QStringList captions;
        for (const std::string& caption : opened.captions)
            captions.push_back(QString::fromStdString(caption));
        QString chosen = captions.back();
        if (captions.size() > 1 && isVisible()) {
            bool ok = false;
            chosen = QInputDialog::getItem(this, "Open", "Captions of " + QFileInfo(path).fileName() + ":", captions,
                                           static_cast<int>(captions.size() - 1), false, &ok);
            if (!ok)
                return false;
        }
        if (!openCaption(chosen))
            return false;
    } else if (opened.counts) {
        showStoredCounts(opened.counts);
    } else {
        apply(model_.setPicture(opened.settings));
    }
    syncWidgets();
    QSettings settings;
    QStringList recent = settings.value("recentFiles").toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    settings.setValue("recentFiles", recent.mid(0, 10));
    return true;
}

void MainWindow::showStoredCounts(const std::shared_ptr<const StoredCounts>& stored)
{
    // The counts as they are, at their own framing, until the figure, the view
    // or the window's size changes.
    model_.setPicture(stored->settings);
    RenderSettings counted = stored->settings;
    counted.threads = coreCount();
    failure_.clear();
    countingView_ = {planeOf(counted.choice, counted.framing), counted.framing, model_.viewAt(counted.framing)};
    canvas_->setShown(shownNow());
    worker_->adoptCounts(stored, counted);
    writeSettings();
    settle_->start();
}

bool MainWindow::openCaption(const QString& caption)
{
    try {
        const FigureChoice choice = parseCaption(caption.trimmed().toStdString());
        RenderSettings picture = model_.settings();
        picture.choice = choice;
        picture.view.reset();
        apply(model_.setPicture(picture));
    } catch (const UsageError& e) {
        showError("Caption", QString("\"%1\" is not a caption QUILLON wrote: %2")
                                 .arg(caption.trimmed(), QString::fromStdString(e.what())));
        return false;
    }
    syncWidgets();
    return true;
}

void MainWindow::openFile()
{
    QSettings settings;
    const QStringList recent = settings.value("recentFiles").toStringList();
    const QString path = QFileDialog::getOpenFileName(
        this, "Open a picture, video, counts or caption file",
        recent.isEmpty() ? QDir::homePath() : QFileInfo(recent[0]).path(),
        "QUILLON's files (*.png *.mp4 *.webm *.exr *.txt);;Pictures (*.png);;Videos (*.mp4 *.webm);;"
        "Counts files (*.exr);;Caption files (*.txt);;All files (*)");
    if (!path.isEmpty())
        openPath(path);
}

void MainWindow::pasteCaption()
{
    const QString text = QApplication::clipboard()->text();
    if (text.trimmed().isEmpty()) {
        showError("Paste Caption", "The clipboard holds no text. Copy a caption such as one from ss_save.txt.");
        return;
    }
    openCaption(text.split('\n', Qt::SkipEmptyParts).value(0));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls() || event->mimeData()->hasText())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data->hasUrls() && data->urls().value(0).isLocalFile())
        openPath(data->urls().value(0).toLocalFile());
    else if (data->hasText())
        openCaption(data->text());
    event->acceptProposedAction();
}

void MainWindow::copyPicture()
{
    if (canvas_->frame().isNull())
        return;
    QImage image = canvas_->frame();
    image.setDevicePixelRatio(1);
    QApplication::clipboard()->setImage(image);
    statusBar()->showMessage("The picture is on the clipboard", 3000);
}

void MainWindow::keepPicture()
{
    const QString folder = keptFolder();
    if (!QDir().mkpath(folder)) {
        showError("Keep", "Cannot make the folder " + folder + " for kept pictures. Check that it can be written.");
        return;
    }
    const QString path =
        folder + "/kept-" + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss-zzz") + ".png";
    RenderSettings s = model_.pictureSettings(framingOfSize(kKeptWidth, kKeptHeight), kKeptPoints, 1);
    s.threads = coreCount();
    statusBar()->showMessage("Keeping the picture…");
    keepThread_.post(
        [this, s, path] {
            QString error;
            try {
                renderToFile(readyForFile(s), path.toStdString());
            } catch (const std::exception& e) {
                error = QString::fromStdString(e.what());
            }
            later(this, alive_, [this, path, error] {
                if (!error.isEmpty()) {
                    showError("Keep", "The picture was not kept: " + error);
                    return;
                }
                addKept(path);
                statusBar()->showMessage("Kept " + QFileInfo(path).fileName(), 3000);
            });
        },
        false);
}

void MainWindow::loadKept()
{
    const QDir folder(keptFolder());
    for (const QFileInfo& file : folder.entryInfoList({"*.png"}, QDir::Files, QDir::Name))
        addKept(file.absoluteFilePath());
}

void MainWindow::addKept(const QString& path)
{
    auto* item = new QListWidgetItem(QIcon(path), QString());
    item->setData(Qt::UserRole, path);
    std::string error;
    if (const auto info = readPngInfo(path.toStdString(), error))
        for (const auto& [key, value] : info->text)
            if (key == "Title" || key == "Description") {
                item->setToolTip(QString::fromStdString(value));
                break;
            }
    kept_->addItem(item);
    kept_->scrollToItem(item);
}

void MainWindow::openKept(QListWidgetItem* item)
{
    openPath(item->data(Qt::UserRole).toString());
}

void MainWindow::exportPicture()
{
    if (exporting()) {
        showError("Export Picture", "An export is under way; wait for it, or cancel it first.");
        return;
    }
    ExportDialog dialog(model_, this);
    const QImage& shown = lastFrame_.image;
    if (!shown.isNull() && lastFrame_.litPixels > 0)
        dialog.setLitShare(static_cast<double>(lastFrame_.litPixels) /
                           (static_cast<double>(shown.width()) * shown.height()));
    if (dialog.exec() == QDialog::Accepted)
        startExport("Export Picture", dialog.arguments());
}

void MainWindow::exportVideo()
{
    if (exporting()) {
        showError("Export Video", "An export is under way; wait for it, or cancel it first.");
        return;
    }
    VideoExportDialog dialog(model_, this);
    if (dialog.exec() == QDialog::Accepted)
        startExport("Export Video", dialog.arguments());
}

void MainWindow::startExport(const QString& what, const std::vector<std::string>& arguments)
{
    // The file is made as quillon-render makes it from the command shown.
    Plan plan;
    try {
        plan = planOfArguments(arguments);
    } catch (const UsageError& e) {
        showError(what, QString::fromStdString(e.what()));
        return;
    }
    for (Job& job : plan.jobs)
        job.settings.threads = coreCount();  // never changes the file
    export_ = new ExportRun(std::move(plan), what, this);
    connect(export_, &ExportRun::ended, this, [this](bool cancelled, const QString& error) {
        const QString what = export_->what(), path = export_->path();
        export_->deleteLater();
        export_ = nullptr;
        if (cancelled)
            statusBar()->showMessage("Export cancelled; no file was written", 4000);
        else if (!error.isEmpty())
            showError(what, "The file was not written: " + error);
        else
            statusBar()->showMessage("Exported " + path, 5000);
    });
}

}  // namespace quillon::studio
