// Export Picture: the size (presets for screens and paper at 300 dpi, or
// custom), the points, the supersampling and the file; and the quillon-render
// command that makes the same file, to copy.
#pragma once

#include <QDialog>

#include "studio/StudioModel.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLayout;
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

// Where an export goes unless the user says otherwise: the folder of the
// last export, the figure's name as a file's, the extension (".png").
QString exportPathOf(const StudioModel& model, const QString& extension);
// The rows every export dialog ends with: the command that makes the same
// file, and a button that copies it. Returns the command's box.
QPlainTextEdit* addCommandRows(QFormLayout* form);
// The file row: the name, and a button that asks for one with the filter.
QLayout* fileRow(QLineEdit* path, const QString& title, const QString& filter,
                 const QStringList& extensions);

class ExportDialog : public QDialog {
    Q_OBJECT
public:
    ExportDialog(const StudioModel& model, QWidget* parent = nullptr);

    // The picture asked for, and where it goes.
    render::RenderSettings settings() const;
    QString path() const;
    // The quillon-render arguments that make it, as the dialog shows them.
    std::vector<std::string> arguments() const;

    // The share of the preview's pixels that are lit, by which a quality goal
    // (hits a lit pixel) becomes points: 1 where the preview has not told.
    void setLitShare(double share);
    // The points that give a picture of the size asked `hits` hits a lit
    // pixel, where `litShare` of its pixels are lit.
    static uint64_t pointsForQuality(double hits, double litShare, int width, int height);

private:
    void update();

    const StudioModel& model_;
    QComboBox* preset_ = nullptr;
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
    QDoubleSpinBox* points_ = nullptr;  // millions
    QCheckBox* byQuality_ = nullptr;    // the points follow from the quality goal
    QDoubleSpinBox* quality_ = nullptr; // hits a lit pixel
    double litShare_ = 1;
    QSpinBox* supersampling_ = nullptr;
    QComboBox* depth_ = nullptr;
    QLineEdit* path_ = nullptr;
    QPlainTextEdit* command_ = nullptr;
};

}  // namespace quillon::studio
