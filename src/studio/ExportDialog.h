// Export Picture: the size (presets for screens and paper at 300 dpi, or
// custom), the points, the supersampling and the file; and the quillon-render
// command that makes the same file, to copy.
#pragma once

#include <QDialog>

#include "studio/StudioModel.h"

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace quillon::studio {

// A size a picture is often wanted at.
struct SizePreset {
    const char* name;
    int width, height;
};
// Screens, and paper at 300 dots an inch, landscape.
const std::vector<SizePreset>& sizePresets();

class ExportDialog : public QDialog {
    Q_OBJECT
public:
    ExportDialog(const StudioModel& model, QWidget* parent = nullptr);

    // The picture asked for, and where it goes.
    render::RenderSettings settings() const;
    QString path() const;

private:
    void update();

    const StudioModel& model_;
    QComboBox* preset_ = nullptr;
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
    QDoubleSpinBox* points_ = nullptr;  // millions
    QSpinBox* supersampling_ = nullptr;
    QComboBox* depth_ = nullptr;
    QLineEdit* path_ = nullptr;
    QPlainTextEdit* command_ = nullptr;
};

}  // namespace quillon::studio
