#include "studio/ExportDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "studio/RenderCommand.h"

namespace quillon::studio {

using namespace render;

const std::vector<SizePreset>& sizePresets()
{
    // Paper at 300 dpi: A4 297 x 210 mm, A3 420 x 297, A2 594 x 420.
    static const std::vector<SizePreset> presets = {
        {"1920 × 1080 (Full HD)", 1920, 1080}, {"3840 × 2160 (4K)", 3840, 2160},
        {"A4 at 300 dpi", 3508, 2480},         {"A3 at 300 dpi", 4961, 3508},
        {"A2 at 300 dpi", 7016, 4961},
    };
    return presets;
}

QString exportPathOf(const StudioModel& model, const QString& extension)
{
    // The figure's name as a file's: "Lorenz Orbits (XZ)" is lorenz-orbits-xz.
    const QString figure = QString::fromStdString(model.figure().name)
                               .toLower()
                               .replace(QRegularExpression("[^a-z0-9]+"), "-")
                               .remove(QRegularExpression("^-|-$"));
    return QSettings().value("export/folder", QDir::homePath()).toString() + "/" + figure + extension;
}

QPlainTextEdit* addCommandRows(QFormLayout* form)
{
    auto* command = new QPlainTextEdit;
    command->setReadOnly(true);
    command->setMinimumWidth(560);
    command->setMaximumHeight(110);
    command->setObjectName("command");
    auto* copy = new QPushButton("Copy Command");
    copy->setObjectName("copyCommand");
    copy->setToolTip("Put the command on the clipboard");
    QObject::connect(copy, &QPushButton::clicked, command,
                     [command] { QApplication::clipboard()->setText(command->toPlainText()); });
    form->addRow("The same from a terminal", command);
    form->addRow("", copy);
    return command;
}

QLayout* fileRow(QLineEdit* path, const QString& title, const QString& filter, const QStringList& extensions)
{
    auto* browse = new QPushButton("Choose…");
    auto* row = new QHBoxLayout;
    row->addWidget(path);
    row->addWidget(browse);
    QObject::connect(browse, &QPushButton::clicked, path, [path, title, filter, extensions] {
        const QString chosen = QFileDialog::getSaveFileName(path->window(), title, path->text(), filter);
        if (chosen.isEmpty())
            return;
        const bool known = std::any_of(extensions.begin(), extensions.end(), [&](const QString& e) {
            return chosen.endsWith(e, Qt::CaseInsensitive);
        });
        path->setText(known ? chosen : chosen + extensions.value(0));
    });
    return row;
}

ExportDialog::ExportDialog(const StudioModel& model, QWidget* parent) : QDialog(parent), model_(model)
{
    setWindowTitle("Export Picture");
    auto* form = new QFormLayout;
    preset_ = new QComboBox;
    for (const SizePreset& p : sizePresets())
        preset_->addItem(p.name);
    preset_->addItem("Custom");
    width_ = new QSpinBox;
    height_ = new QSpinBox;
    // A density picture is made in bands where it does not fit the memory,
    // so it may be as large as a PNG file holds; a classic one is drawn whole.
    const int most = model.settings().style == Style::Density ? kMaxPngSide : kMaxSide;
    for (QSpinBox* side : {width_, height_}) {
        side->setRange(1, most);
        side->setSuffix(" px");
    }
    auto* size = new QHBoxLayout;
    size->addWidget(width_);
    size->addWidget(height_);
    points_ = new QDoubleSpinBox;
    points_->setRange(0.01, 1e6);
    points_->setDecimals(2);
    points_->setSuffix(" M points");
    points_->setToolTip("The points counted: more give smoother tones and take longer");
    byQuality_ = new QCheckBox("Count to");
    byQuality_->setToolTip("Count as many points as give every lit pixel this many hits on average");
    quality_ = new QDoubleSpinBox;
    quality_->setRange(1, 1e6);
    quality_->setDecimals(0);
    quality_->setSuffix(" hits a lit pixel");
    auto* quality = new QHBoxLayout;
    quality->addWidget(byQuality_);
    quality->addWidget(quality_, 1);
    supersampling_ = new QSpinBox;
    supersampling_->setRange(1, 4);
    supersampling_->setToolTip("Samples a side counted for each pixel");
    depth_ = new QComboBox;
    depth_->addItem("8 bits a channel", 8);
    depth_->addItem("16 bits a channel", 16);
    path_ = new QLineEdit;

    // Named, so that tests and accessibility tools find them.
    preset_->setObjectName("preset");
    width_->setObjectName("width");
    height_->setObjectName("height");
    points_->setObjectName("points");
    byQuality_->setObjectName("byQuality");
    quality_->setObjectName("quality");
    supersampling_->setObjectName("supersampling");
    depth_->setObjectName("depth");
    path_->setObjectName("path");
    form->addRow("Size", preset_);
    form->addRow("", size);
    form->addRow("Points", points_);
    form->addRow("Or a quality", quality);
    form->addRow("Supersampling", supersampling_);
    form->addRow("Depth", depth_);
    form->addRow("File", fileRow(path_, "Export Picture", "PNG (*.png)", {".png"}));
    command_ = addCommandRows(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText("Export");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    QSettings stored;
    path_->setText(exportPathOf(model, ".png"));
    preset_->setCurrentIndex(stored.value("export/preset", 0).toInt());
    width_->setValue(stored.value("export/width", 1920).toInt());
    height_->setValue(stored.value("export/height", 1080).toInt());
    points_->setValue(stored.value("export/points", kDensityPoints / 1e6).toDouble());
    supersampling_->setValue(stored.value("export/aa", 1).toInt());
    quality_->setValue(stored.value("export/quality", 100).toDouble());
    byQuality_->setChecked(stored.value("export/byQuality", false).toBool());
    depth_->setCurrentIndex(stored.value("export/depth", 8).toInt() == 16 ? 1 : 0);

    const auto presetChosen = [this] {
        const int k = preset_->currentIndex();
        const bool custom = k >= static_cast<int>(sizePresets().size());
        width_->setEnabled(custom);
        height_->setEnabled(custom);
        if (!custom) {
            width_->setValue(sizePresets()[static_cast<size_t>(k)].width);
            height_->setValue(sizePresets()[static_cast<size_t>(k)].height);
        }
        update();
    };
    presetChosen();
    // A classic picture is 8-bit, a point a pixel.
    const bool density = model.settings().style == Style::Density;
    supersampling_->setEnabled(density);
    depth_->setEnabled(density);
    connect(preset_, &QComboBox::currentIndexChanged, this, presetChosen);
    for (QSpinBox* spin : {width_, height_, supersampling_})
        connect(spin, &QSpinBox::valueChanged, this, &ExportDialog::update);
    connect(points_, &QDoubleSpinBox::valueChanged, this, &ExportDialog::update);
    connect(quality_, &QDoubleSpinBox::valueChanged, this, &ExportDialog::update);
    connect(byQuality_, &QCheckBox::toggled, this, &ExportDialog::update);
    connect(depth_, &QComboBox::currentIndexChanged, this, &ExportDialog::update);
    connect(path_, &QLineEdit::textChanged, this, &ExportDialog::update);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        QSettings stored;
        stored.setValue("export/folder", QFileInfo(path()).absolutePath());
        stored.setValue("export/preset", preset_->currentIndex());
        stored.setValue("export/width", width_->value());
        stored.setValue("export/height", height_->value());
        stored.setValue("export/points", points_->value());
        stored.setValue("export/aa", supersampling_->value());
        stored.setValue("export/quality", quality_->value());
        stored.setValue("export/byQuality", byQuality_->isChecked());
        stored.setValue("export/depth", depth_->currentData().toInt());
        accept();
    });
    update();
}

RenderSettings ExportDialog::settings() const
{
    RenderSettings s = model_.pictureSettings(framingOfSize(width_->value(), height_->value()),
                                              static_cast<uint64_t>(std::llround(points_->value() * 1e6)),
                                              supersampling_->value());
    if (s.style == Style::Density)
        s.depth = depth_->currentData().toInt();
    return s;
}

QString ExportDialog::path() const
{
    return path_->text().trimmed();
}

std::vector<std::string> ExportDialog::arguments() const
{
    return renderArguments(settings(), path().toStdString());
}

void ExportDialog::setLitShare(double share)
{
    litShare_ = share > 0 && share <= 1 ? share : 1;
    update();
}

uint64_t ExportDialog::pointsForQuality(double hits, double litShare, int width, int height)
{
    return static_cast<uint64_t>(std::llround(hits * litShare * width * height));
}

void ExportDialog::update()
{
    // A quality goal sets the points: shown, not typed.
    points_->setEnabled(!byQuality_->isChecked());
    quality_->setEnabled(byQuality_->isChecked());
    if (byQuality_->isChecked()) {
        const QSignalBlocker quiet(points_);
        const auto points = pointsForQuality(quality_->value(), litShare_, width_->value(), height_->value());
        points_->setValue(std::max(points_->minimum(), static_cast<double>(points) / 1e6));
    }
    command_->setPlainText(QString::fromStdString(commandLineText(arguments())));
}

}  // namespace quillon::studio
