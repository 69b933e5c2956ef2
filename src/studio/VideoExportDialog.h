// Export Video: the size, the length and rate, the points, and a video that
// moves (a flight to another view, parameters that slide, framed to the
// orbit); the file, and the quillon-render command that makes the same file.
#pragma once

#include <QDialog>

#include <vector>

#include "render/video/Video.h"
#include "studio/StudioModel.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace quillon::studio {

class VideoExportDialog : public QDialog {
    Q_OBJECT
public:
    VideoExportDialog(const StudioModel& model, QWidget* parent = nullptr);

    // The video asked for, and where it goes.
    render::RenderSettings settings() const;
    render::VideoSettings video() const;
    QString path() const;
    // The quillon-render arguments that make it, as the dialog shows them.
    std::vector<std::string> arguments() const;

private:
    void update();

    const StudioModel& model_;
    QComboBox* preset_ = nullptr;
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
    QDoubleSpinBox* seconds_ = nullptr;
    QDoubleSpinBox* fps_ = nullptr;
    QLabel* frames_ = nullptr;
    QDoubleSpinBox* points_ = nullptr;  // millions
    QSpinBox* supersampling_ = nullptr;
    QCheckBox* title_ = nullptr;
    QGroupBox* flyTo_ = nullptr;
    QDoubleSpinBox* toX_ = nullptr;
    QDoubleSpinBox* toY_ = nullptr;
    QDoubleSpinBox* toZoom_ = nullptr;
    struct Slide {
        QCheckBox* on = nullptr;
        QDoubleSpinBox* from = nullptr;
        QDoubleSpinBox* to = nullptr;
    };
    std::vector<Slide> slides_;  // one a parameter
    QCheckBox* ease_ = nullptr;
    QCheckBox* fit_ = nullptr;
    QLineEdit* path_ = nullptr;
    QPlainTextEdit* command_ = nullptr;
};

}  // namespace quillon::studio
