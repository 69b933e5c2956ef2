#include "studio/VideoExportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

#include "studio/ExportDialog.h"
#include "studio/RenderCommand.h"

namespace quillon::studio {

using namespace render;

namespace {

struct VideoSize {
    const char* name;
    int width, height;
};
const VideoSize kVideoSizes[] = {
    {"1280 × 720 (HD)", 1280, 720}, {"1920 × 1080 (Full HD)", 1920, 1080}, {"3840 × 2160 (4K)", 3840, 2160}};
constexpr int kCustom = static_cast<int>(std::size(kVideoSizes));

QDoubleSpinBox* numberBox(double low, double high, int decimals)
{
    auto* box = new QDoubleSpinBox;
    box->setRange(low, high);
    box->setDecimals(decimals);
    return box;
}

}  // namespace

VideoExportDialog::VideoExportDialog(const StudioModel& model, QWidget* parent) : QDialog(parent), model_(model)
{
    setWindowTitle("Export Video");
    auto* form = new QFormLayout;
    preset_ = new QComboBox;
    for (const VideoSize& size : kVideoSizes)
        preset_->addItem(size.name);
    preset_->addItem("Custom");
    width_ = new QSpinBox;
    height_ = new QSpinBox;
    for (QSpinBox* side : {width_, height_}) {
        side->setRange(2, kMaxVideoSide);
        side->setSingleStep(2);
        side->setSuffix(" px");
        side->setToolTip("Videos have even sides");
    }
    auto* size = new QHBoxLayout;
    size->addWidget(width_);
    size->addWidget(height_);
    seconds_ = numberBox(0.01, 86400, 2);
    seconds_->setSuffix(" s");
    fps_ = numberBox(1, 240, 2);
    fps_->setSuffix(" frames a second");
    frames_ = new QLabel;
    points_ = numberBox(0.01, 1e6, 2);
    points_->setSuffix(" M points");
    points_->setToolTip("A growing video counts them over its frames; a moving one counts them for every frame");
    supersampling_ = new QSpinBox;
    supersampling_->setRange(1, 4);
    supersampling_->setToolTip("Samples a side counted for each pixel");
    title_ = new QCheckBox("The caption at the bottom");

    // The flight: from the view shown to another.
    const View shown = model.viewAt(framingOfSize(1024, 768));
    flyTo_ = new QGroupBox("Fly to a view");
    flyTo_->setCheckable(true);
    flyTo_->setChecked(false);
    toX_ = numberBox(-1e12, 1e12, 8);
    toY_ = numberBox(-1e12, 1e12, 8);
    toZoom_ = numberBox(1e-6, 1e12, 4);
    toX_->setValue(shown.centerX);
    toY_->setValue(shown.centerY);
    toZoom_->setValue(shown.zoom * 8);
    auto* flight = new QFormLayout(flyTo_);
    flight->addRow("Centre x", toX_);
    flight->addRow("Centre y", toY_);
    flight->addRow("Zoom", toZoom_);

    // Parameters that slide, from their value now to another.
    auto* slideBox = new QGroupBox("Slide parameters");
    auto* slideRows = new QFormLayout(slideBox);
    const RenderFigure& figure = model.figure();
    for (size_t k = 0; k < figure.parameters.size(); ++k) {
        Slide slide{new QCheckBox(QString::fromStdString(figure.parameters[k].label)), numberBox(-1e9, 1e9, 6),
                    numberBox(-1e9, 1e9, 6)};
        const double now = model.settings().choice.values.at(k);
        slide.from->setValue(now);
        slide.to->setValue(now);
        slide.on->setObjectName(QString("slide%1").arg(k));
        slide.from->setObjectName(QString("slideFrom%1").arg(k));
        slide.to->setObjectName(QString("slideTo%1").arg(k));
        auto* row = new QHBoxLayout;
        row->addWidget(slide.from);
        row->addWidget(new QLabel("to"));
        row->addWidget(slide.to);
        slideRows->addRow(slide.on, row);
        slides_.push_back(slide);
    }
    slideBox->setEnabled(!figure.parameters.empty() && !figure.isBifurcation());
    ease_ = new QCheckBox("Start and end gently");
    fit_ = new QCheckBox("Frame the orbit (each frame's, when parameters slide)");
    path_ = new QLineEdit;

    // Named, so that tests and accessibility tools find them.
    preset_->setObjectName("preset");
    width_->setObjectName("width");
    height_->setObjectName("height");
    seconds_->setObjectName("seconds");
    fps_->setObjectName("fps");
    frames_->setObjectName("frames");
    points_->setObjectName("points");
    supersampling_->setObjectName("supersampling");
    title_->setObjectName("title");
    flyTo_->setObjectName("flyTo");
    toX_->setObjectName("toX");
    toY_->setObjectName("toY");
    toZoom_->setObjectName("toZoom");
    ease_->setObjectName("ease");
    fit_->setObjectName("fit");
    path_->setObjectName("path");

    form->addRow("Size", preset_);
    form->addRow("", size);
    form->addRow("Length", seconds_);
    form->addRow("Rate", fps_);
    form->addRow("", frames_);
    form->addRow("Points", points_);
    form->addRow("Supersampling", supersampling_);
    form->addRow("Title", title_);
    form->addRow(flyTo_);
    form->addRow(slideBox);
    form->addRow("", ease_);
    form->addRow("", fit_);
    form->addRow("File", fileRow(path_, "Export Video", "Videos (*.mp4 *.webm)", {".mp4", ".webm"}));
    command_ = addCommandRows(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText("Export");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    QSettings stored;
    path_->setText(exportPathOf(model, ".mp4"));
    preset_->setCurrentIndex(stored.value("video/preset", 0).toInt());
    width_->setValue(stored.value("video/width", 1280).toInt());
    height_->setValue(stored.value("video/height", 720).toInt());
    seconds_->setValue(stored.value("video/seconds", VideoSettings{}.seconds).toDouble());
    fps_->setValue(stored.value("video/fps", VideoSettings{}.fps).toDouble());
    points_->setValue(stored.value("video/points", kDensityPoints / 1e6).toDouble());
    supersampling_->setValue(stored.value("video/aa", 1).toInt());
    title_->setChecked(stored.value("video/title", false).toBool());
    // A classic video is a point a pixel.
    supersampling_->setEnabled(model.settings().style == Style::Density);

    const auto presetChosen = [this] {
        const int k = preset_->currentIndex();
        const bool custom = k >= kCustom;
        width_->setEnabled(custom);
        height_->setEnabled(custom);
        if (!custom) {
            width_->setValue(kVideoSizes[k].width);
            height_->setValue(kVideoSizes[k].height);
        }
        update();
    };
    presetChosen();
    connect(preset_, &QComboBox::currentIndexChanged, this, presetChosen);
    for (QSpinBox* spin : {width_, height_, supersampling_})
        connect(spin, &QSpinBox::valueChanged, this, &VideoExportDialog::update);
    for (QDoubleSpinBox* spin : {seconds_, fps_, points_, toX_, toY_, toZoom_})
        connect(spin, &QDoubleSpinBox::valueChanged, this, &VideoExportDialog::update);
    for (const Slide& slide : slides_) {
        connect(slide.on, &QCheckBox::toggled, this, &VideoExportDialog::update);
        connect(slide.from, &QDoubleSpinBox::valueChanged, this, &VideoExportDialog::update);
        connect(slide.to, &QDoubleSpinBox::valueChanged, this, &VideoExportDialog::update);
    }
    for (QCheckBox* box : {title_, ease_, fit_})
        connect(box, &QCheckBox::toggled, this, &VideoExportDialog::update);
    connect(flyTo_, &QGroupBox::toggled, this, &VideoExportDialog::update);
    connect(path_, &QLineEdit::textChanged, this, &VideoExportDialog::update);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        QSettings stored;
        stored.setValue("export/folder", QFileInfo(path()).absolutePath());
        stored.setValue("video/preset", preset_->currentIndex());
        stored.setValue("video/width", width_->value());
        stored.setValue("video/height", height_->value());
        stored.setValue("video/seconds", seconds_->value());
        stored.setValue("video/fps", fps_->value());
        stored.setValue("video/points", points_->value());
        stored.setValue("video/aa", supersampling_->value());
        stored.setValue("video/title", title_->isChecked());
        accept();
    });
    update();
}

RenderSettings VideoExportDialog::settings() const
{
    RenderSettings s = model_.pictureSettings(framingOfSize(width_->value(), height_->value()),
                                              static_cast<uint64_t>(std::llround(points_->value() * 1e6)),
                                              supersampling_->value());
    s.depth = 8;  // what a video holds
    if (fit_->isChecked()) {
        s.fit = true;
        s.view.reset();
    }
    return s;
}

VideoSettings VideoExportDialog::video() const
{
    VideoSettings v;
    v.seconds = seconds_->value();
    v.fps = fps_->value();
    v.title = title_->isChecked();
    if (flyTo_->isChecked())
        v.motion.zoomTo = View{toX_->value(), toY_->value(), toZoom_->value()};
    for (size_t k = 0; k < slides_.size(); ++k)
        if (slides_[k].on->isChecked())
            v.motion.morphs.push_back(
                {model_.figure().parameters[k].label, slides_[k].from->value(), slides_[k].to->value()});
    v.motion.ease = ease_->isChecked() && v.motion.moving();
    v.motion.fitFrames = fit_->isChecked() && !v.motion.morphs.empty();
    return v;
}

QString VideoExportDialog::path() const
{
    return path_->text().trimmed();
}

std::vector<std::string> VideoExportDialog::arguments() const
{
    return videoArguments(settings(), video(), path().toStdString());
}

void VideoExportDialog::update()
{
    // A flight ends at a view of its own; framing to the orbit is the other way.
    fit_->setEnabled(!flyTo_->isChecked());
    flyTo_->setEnabled(!fit_->isChecked());
    for (const Slide& slide : slides_) {
        slide.from->setEnabled(slide.on->isChecked());
        slide.to->setEnabled(slide.on->isChecked());
    }
    const VideoSettings v = video();
    ease_->setEnabled(v.motion.moving());
    frames_->setText(QString("%1 frames").arg(v.frames()));
    command_->setPlainText(QString::fromStdString(commandLineText(arguments())));
}

}  // namespace quillon::studio
