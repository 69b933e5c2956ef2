// QUILLON Studio's window: the figure chooser and its parameters, the look,
// the live preview, the kept pictures and the status line. Widgets only edit
// the model and show what the preview worker hands back.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "studio/JobThread.h"
#include "studio/PlaceHistory.h"
#include "studio/PreviewWorker.h"
#include "studio/StudioModel.h"
#include "studio/ViewMoves.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QScrollArea;
class QSlider;
class QSpinBox;
class QTimer;
class QTreeWidget;

namespace quillon::studio {

class ExportRun;
class PreviewCanvas;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    const StudioModel& model() const { return model_; }
    // Opens a picture or video the programs wrote, a counts file, a caption
    // file or a caption; false
    // (and a message box) when it cannot be read.
    bool openPath(const QString& path);
    bool openCaption(const QString& caption);
    // Shows the counts of a counts file without counting them again.
    void showStoredCounts(const std::shared_ptr<const render::StoredCounts>& stored);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Building the window.
    void makeMenus();
    QWidget* makeFigurePanel();
    QWidget* makeLookPanel();
    void fillFigureTree();
    void rebuildParameterEditors();

    // What an edit costs, done: the widgets follow the model, the preview
    // colours again or counts again.
    void apply(Change change);
    void syncWidgets();
    void syncLookWidgets();
    void restartPreview();
    void placeSettled();
    render::RenderSettings previewSettings() const;
    ViewOnScreen shownNow() const;
    void showFrame(const PreviewFrame& frame);
    void showStatus();
    void askStats();

    // Moving about.
    void setView(const std::optional<render::View>& view);
    void moveView(const std::function<render::View(const ViewOnScreen&)>& move);
    void fitView();
    void goBack();
    void goForward();

    // Files and pictures.
    void openFile();
    void pasteCaption();
    void exportPicture();
    void exportVideo();
    // Runs quillon-render's plan of the arguments, as the dialog titled `what` showed them.
    void startExport(const QString& what, const std::vector<std::string>& arguments);
    void copyPicture();
    void keepPicture();
    void loadKept();
    void addKept(const QString& path);
    void openKept(QListWidgetItem* item);
    void lookForInteresting();
    bool exporting() const { return export_ != nullptr; }
    void showError(const QString& title, const QString& message);

    void readSettings();
    void writeSettings() const;

    StudioModel model_;
    PlaceHistory history_;
    PreviewWorker* worker_ = nullptr;
    PreviewCanvas* canvas_ = nullptr;
    ViewOnScreen countingView_;
    PreviewFrame lastFrame_;
    QString failure_;

    // The figure and its parameters.
    QLineEdit* filter_ = nullptr;
    QTreeWidget* figures_ = nullptr;
    QFormLayout* parameterForm_ = nullptr;
    struct ParameterEditor {
        QDoubleSpinBox* number = nullptr;
        QSlider* slider = nullptr;
        double low = 0, high = 1;
    };
    std::vector<ParameterEditor> editors_;
    const render::RenderFigure* editorsFigure_ = nullptr;  // whose parameters the editors edit
    QSpinBox* seed_ = nullptr;
    QPushButton* random_ = nullptr;
    QPushButton* interesting_ = nullptr;

    // The look and the counting.
    QComboBox* style_ = nullptr;
    QComboBox* palette_ = nullptr;
    QComboBox* tone_ = nullptr;
    QComboBox* colourBy_ = nullptr;
    QLineEdit* background_ = nullptr;
    std::vector<QDoubleSpinBox*> controls_;
    QDoubleSpinBox* budget_ = nullptr;  // millions of points
    QCheckBox* keepGoing_ = nullptr;

    QScrollArea* panelScroll_ = nullptr;
    QListWidget* kept_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* orbitStatus_ = nullptr;
    QAction* back_ = nullptr;
    QAction* forward_ = nullptr;
    QTimer* settle_ = nullptr;
    bool syncing_ = false;

    // Work off the interface thread.
    std::atomic<bool> stopSearch_{false};
    bool searching_ = false;
    uint64_t statsAsked_ = 0;
    ExportRun* export_ = nullptr;  // the export under way
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    // Last, so that they end first: their jobs use the members above.
    JobThread statsThread_;
    JobThread keepThread_;
    JobThread searchThread_;
};

}  // namespace quillon::studio
