#include "studio/MainWindow.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <random>

#include "render/analysis/OrbitStats.h"
#include "render/analysis/Search.h"
#include "render/cli/Options.h"
#include "render/engine/OrbitColouring.h"
#include "render/look/Palette.h"
#include "studies/BifurcationMap.h"
#include "studio/ExportRun.h"
#include "studio/InterfaceThread.h"
#include "studio/PreviewCanvas.h"

namespace quillon::studio {

using namespace render;

namespace {

// A slider's steps across a parameter's random range.
constexpr int kSliderSteps = 1000;
// A place is put in the history once the view has stood still this long.
constexpr int kSettleMs = 500;
QString millions(double points)
{
    if (points >= 1e9)
        return QString::number(points / 1e9, 'f', 2) + " G";
    if (points >= 1e6)
        return QString::number(points / 1e6, 'f', 1) + " M";
    if (points >= 1e3)
        return QString::number(points / 1e3, 'f', 0) + " k";
    return QString::number(points, 'f', 0) + " ";
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle("QUILLON Studio");
    setAcceptDrops(true);
    resize(1280, 820);
    worker_ = new PreviewWorker(this);
    canvas_ = new PreviewCanvas(this);
    setCentralWidget(canvas_);

    auto* panel = new QWidget;
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(makeFigurePanel());
    panelLayout->addWidget(makeLookPanel());
    panelLayout->addStretch();
    auto* scroll = panelScroll_ = new QScrollArea;
    scroll->setWidget(panel);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(panel->sizeHint().width() + 24);
    // The wheel scrolls the panel; it turns a field only once the field is chosen.
    for (QWidget* field : panel->findChildren<QWidget*>())
        if (qobject_cast<QComboBox*>(field) || qobject_cast<QAbstractSpinBox*>(field) ||
            qobject_cast<QSlider*>(field)) {
            field->setFocusPolicy(Qt::StrongFocus);
            field->installEventFilter(this);
        }
    auto* dock = new QDockWidget("Figure", this);
    dock->setObjectName("figureDock");
    dock->setWidget(scroll);
    dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    addDockWidget(Qt::LeftDockWidgetArea, dock);

    kept_ = new QListWidget;
    kept_->setViewMode(QListWidget::IconMode);
    kept_->setFlow(QListWidget::LeftToRight);
    kept_->setWrapping(false);
    kept_->setIconSize(QSize(96, 72));
    kept_->setFixedHeight(104);
    kept_->setMovement(QListWidget::Static);
    kept_->setToolTip("Kept pictures: click one to show it again");
    auto* keptDock = new QDockWidget("Kept", this);
    keptDock->setObjectName("keptDock");
    keptDock->setWidget(kept_);
    keptDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    addDockWidget(Qt::BottomDockWidgetArea, keptDock);
    connect(kept_, &QListWidget::itemClicked, this, &MainWindow::openKept);

    status_ = new QLabel;
    orbitStatus_ = new QLabel;
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(orbitStatus_);

    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMs);
    connect(settle_, &QTimer::timeout, this, &MainWindow::placeSettled);

    makeMenus();
    back_->setEnabled(false);
    forward_->setEnabled(false);

    connect(worker_, &PreviewWorker::frameReady, this, &MainWindow::showFrame);
    connect(worker_, &PreviewWorker::failed, this, [this](const QString& message, quint64) {
        failure_ = message;
        showStatus();
    });
    connect(canvas_, &PreviewCanvas::resized, this, &MainWindow::restartPreview);
    connect(canvas_, &PreviewCanvas::panned, this,
            [this](QPointF by) { moveView([&](const ViewOnScreen& s) { return s.pannedBy(by.x(), by.y()); }); });
    connect(canvas_, &PreviewCanvas::zoomed, this, [this](QPointF at, double factor) {
        moveView([&](const ViewOnScreen& s) { return s.zoomedAbout(at.x(), at.y(), factor); });
    });
    connect(canvas_, &PreviewCanvas::centred, this,
            [this](QPointF at) { moveView([&](const ViewOnScreen& s) { return s.centredOn(at.x(), at.y()); }); });
    connect(canvas_, &PreviewCanvas::windowFramingAsked, this, [this] { setView(std::nullopt); });
    connect(canvas_, &PreviewCanvas::fitAsked, this, &MainWindow::fitView);

    readSettings();
    fillFigureTree();
    rebuildParameterEditors();
    syncWidgets();
    loadKept();
    history_.record(model_.place());
    askStats();
    canvas_->setFocus();
    restartPreview();
}

MainWindow::~MainWindow()
{
    stopSearch_ = true;
    delete export_;  // stops it and waits
}

QWidget* MainWindow::makeFigurePanel()
{
    auto* box = new QGroupBox("Figure");
    auto* layout = new QVBoxLayout(box);
    filter_ = new QLineEdit;
    filter_->setPlaceholderText("Filter figures");
    filter_->setClearButtonEnabled(true);
    figures_ = new QTreeWidget;
    figures_->setHeaderHidden(true);
    figures_->setMinimumHeight(260);
    layout->addWidget(filter_);
    layout->addWidget(figures_);
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        for (int m = 0; m < figures_->topLevelItemCount(); ++m) {
            QTreeWidgetItem* menu = figures_->topLevelItem(m);
            int shown = 0;
            for (int k = 0; k < menu->childCount(); ++k) {
                const bool match = menu->child(k)->text(0).contains(text, Qt::CaseInsensitive) ||
                                   menu->text(0).contains(text, Qt::CaseInsensitive);
                menu->child(k)->setHidden(!match);
                shown += match;
            }
            menu->setHidden(shown == 0);
            menu->setExpanded(!text.isEmpty() || menu->isExpanded());
        }
    });
    connect(figures_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (syncing_ || !item || !item->parent())
            return;
        apply(model_.setFigure(findFigure(item->data(0, Qt::UserRole).toString().toStdString())));
        rebuildParameterEditors();
        syncWidgets();
    });

    parameterForm_ = new QFormLayout;
    layout->addLayout(parameterForm_);

    seed_ = new QSpinBox;
    seed_->setRange(0, 16777215);
    seed_->setToolTip("The seed of the orbits' starting points and pass colours");
    connect(seed_, &QSpinBox::valueChanged, this, [this](int seed) {
        if (!syncing_)
            apply(model_.setSeed(static_cast<uint32_t>(seed)));
    });
    auto* seedRow = new QFormLayout;
    seedRow->addRow("Seed", seed_);
    layout->addLayout(seedRow);

    auto* buttons = new QHBoxLayout;
    auto* defaults = new QPushButton("Defaults");
    auto* random = random_ = new QPushButton("Random");
    interesting_ = new QPushButton("Interesting");
    defaults->setToolTip("The figure's own parameters");
    random->setToolTip("Parameters drawn as the random mode draws them");
    interesting_->setToolTip("Draw again and again until the orbit is chaotic, bounded and lights the frame");
    buttons->addWidget(defaults);
    buttons->addWidget(random);
    buttons->addWidget(interesting_);
    layout->addLayout(buttons);
    connect(defaults, &QPushButton::clicked, this, [this] {
        apply(model_.setDefaults());
        syncWidgets();
    });
    connect(random, &QPushButton::clicked, this, [this] {
        if (model_.figure().isBifurcation())
            return;
        std::random_device device;
        apply(model_.setRandom(device() & 0xFFFFFF));
        syncWidgets();
    });
    connect(interesting_, &QPushButton::clicked, this, &MainWindow::lookForInteresting);
    return box;
}

QWidget* MainWindow::makeLookPanel()
{
    auto* box = new QGroupBox("Look");
    auto* form = new QFormLayout(box);
    style_ = new QComboBox;
    style_->addItem("Density", "density");
    style_->addItem("Classic", "classic");
    palette_ = new QComboBox;
    for (const std::string& name : Palette::names())
        palette_->addItem(QString::fromStdString(name), QString::fromStdString(name));
    tone_ = new QComboBox;
    tone_->addItem("Log", "log");
    tone_->addItem("Equalised", "eq");
    tone_->addItem("Flame", "flame");
    colourBy_ = new QComboBox;
    for (const std::string& name : orbitColourNames())
        colourBy_->addItem(QString::fromStdString(name), QString::fromStdString(name));
    background_ = new QLineEdit;
    background_->setToolTip("#rrggbb or a colour's name");
    form->addRow("Style", style_);
    form->addRow("Palette", palette_);
    form->addRow("Tone", tone_);
    form->addRow("Colour by", colourBy_);
    form->addRow("Background", background_);

    struct ControlRow {
        const char* label;
        double low, high, step;
    };
    const ControlRow rows[] = {{"Brightness", 0.001, 1000, 0.5}, {"Gamma", 0.1, 10, 0.1},
                               {"Gamma threshold", 0, 1, 0.01}, {"Vibrancy", 0, 1, 0.05},
                               {"Highlight", -1, 10, 0.1},      {"Exposure", -20, 20, 0.25}};
    for (const ControlRow& row : rows) {
        auto* spin = new QDoubleSpinBox;
        spin->setRange(row.low, row.high);
        spin->setDecimals(3);
        spin->setSingleStep(row.step);
        form->addRow(row.label, spin);
        controls_.push_back(spin);
        connect(spin, &QDoubleSpinBox::valueChanged, this, [this] {
            if (syncing_)
                return;
            ToneControls c;
            c.brightness = controls_[0]->value();
            c.gamma = controls_[1]->value();
            c.gammaThreshold = controls_[2]->value();
            c.vibrancy = controls_[3]->value();
            c.highlight = controls_[4]->value();
            c.exposure = controls_[5]->value();
            apply(model_.setControls(c));
        });
    }

    budget_ = new QDoubleSpinBox;
    budget_->setRange(0.1, 100000);
    budget_->setDecimals(1);
    budget_->setSuffix(" M points");
    budget_->setValue(kPreviewPoints / 1e6);
    keepGoing_ = new QCheckBox("Keep going");
    keepGoing_->setToolTip("Count on past the budget until something changes");
    form->addRow("Budget", budget_);
    form->addRow("", keepGoing_);

    connect(style_, &QComboBox::currentIndexChanged, this, [this] {
        if (!syncing_)
            apply(model_.setStyle(style_->currentData().toString() == "classic" ? Style::Classic : Style::Density));
    });
    connect(palette_, &QComboBox::currentIndexChanged, this, [this] {
        if (!syncing_)
            apply(model_.setPalette(palette_->currentData().toString().toStdString()));
    });
    connect(tone_, &QComboBox::currentIndexChanged, this, [this] {
        if (syncing_)
            return;
        apply(model_.setTone(tone_->currentData().toString().toStdString()));
        syncLookWidgets();
    });
    connect(colourBy_, &QComboBox::currentIndexChanged, this, [this] {
        if (syncing_)
            return;
        try {
            apply(model_.setColour(*orbitColourNamed(colourBy_->currentData().toString().toStdString())));
        } catch (const UsageError& e) {
            showError("Colour by", QString::fromStdString(e.what()));
            syncLookWidgets();
        }
    });
    connect(background_, &QLineEdit::editingFinished, this, [this] {
        const std::string text = background_->text().trimmed().toStdString();
        if (!parseColour(text)) {
            showError("Background", "\"" + background_->text() + "\" is no colour: give #rrggbb or a name such as "
                                                                  "black, white or navy.");
            syncLookWidgets();
            return;
        }
        apply(model_.setBackground(text));
    });
    // More points, or counting on, go on from the count shown; fewer count again.
    connect(budget_, &QDoubleSpinBox::valueChanged, this, [this] {
        const auto budget = static_cast<uint64_t>(budget_->value() * 1e6);
        if (budget >= lastFrame_.points && lastFrame_.generation == worker_->generation() && failure_.isEmpty() &&
            model_.settings().style == Style::Density)
            worker_->countOn(budget, keepGoing_->isChecked());
        else
            restartPreview();
    });
    connect(keepGoing_, &QCheckBox::toggled, this, [this](bool on) {
        worker_->setKeepGoing(on);
        if (on && model_.settings().style == Style::Density)
            worker_->countOn(std::max(lastFrame_.points, static_cast<uint64_t>(budget_->value() * 1e6)), true);
    });
    return box;
}

void MainWindow::makeMenus()
{
    QMenu* file = menuBar()->addMenu("&File");
    file->setToolTipsVisible(true);
    QAction* open = file->addAction("&Open…", this, &MainWindow::openFile);
    open->setShortcut(QKeySequence::Open);
    open->setToolTip("Show the figure of a picture or video QUILLON made, of a counts file, or of a caption file");
    QMenu* recent = file->addMenu("Open &Recent");
    connect(recent, &QMenu::aboutToShow, this, [this, recent] {
        recent->clear();
        const QStringList paths = QSettings().value("recentFiles").toStringList();
        for (const QString& path : paths)
            recent->addAction(QFileInfo(path).fileName(), this, [this, path] { openPath(path); })->setToolTip(path);
        if (paths.isEmpty())
            recent->addAction("No files opened yet")->setEnabled(false);
    });
    QAction* exportAction = file->addAction("&Export Picture…", this, &MainWindow::exportPicture);
    exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    exportAction->setToolTip("Draw the figure as a PNG picture of any size, as quillon-render would");
    QAction* exportVideoAction = file->addAction("Export &Video…", this, &MainWindow::exportVideo);
    exportVideoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    exportVideoAction->setToolTip("Make a video of the figure growing, or flying to a view or sliding its "
                                  "parameters, as quillon-render would (needs ffmpeg)");
    file->addSeparator();
    QAction* keep = file->addAction("&Keep", this, &MainWindow::keepPicture);
    keep->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    file->addSeparator();
    QAction* quit = file->addAction("&Quit", this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);

    QMenu* edit = menuBar()->addMenu("&Edit");
    QAction* copy = edit->addAction("&Copy Picture", this, &MainWindow::copyPicture);
    copy->setShortcut(QKeySequence::Copy);
    QAction* paste = edit->addAction("&Paste Caption", this, &MainWindow::pasteCaption);
    paste->setShortcut(QKeySequence::Paste);

    QMenu* view = menuBar()->addMenu("&View");
    back_ = view->addAction("&Back", this, &MainWindow::goBack);
    back_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    forward_ = view->addAction("&Forward", this, &MainWindow::goForward);
    forward_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    view->addSeparator();
    view->addAction("&Window Framing\t0", this, [this] { setView(std::nullopt); });
    view->addAction("&Fit the Orbit\tF", this, &MainWindow::fitView);
    view->addAction("Zoom &In\t+", this, [this] {
        const QSize size = canvas_->deviceSize();
        moveView([&](const ViewOnScreen& s) { return s.zoomedAbout(size.width() / 2.0, size.height() / 2.0, 1.5); });
    });
    view->addAction("Zoom &Out\t−", this, [this] {
        const QSize size = canvas_->deviceSize();
        moveView([&](const ViewOnScreen& s) { return s.zoomedAbout(size.width() / 2.0, size.height() / 2.0, 1 / 1.5); });
    });

    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction("&About QUILLON Studio", this, [this] {
        QMessageBox::about(this, "About QUILLON Studio",
                           QString("QUILLON Studio %1\n\nExplore QUILLON's figures as density pictures, and export "
                                   "posters that quillon-render makes again byte for byte.")
                               .arg(QUILLON_VERSION));
    });
}

void MainWindow::fillFigureTree()
{
    const QSignalBlocker block(figures_);
    figures_->clear();
    std::map<std::string, QTreeWidgetItem*> menus;
    for (const RenderFigure& figure : renderFigures()) {
        QTreeWidgetItem*& menu = menus[figure.menu];
        if (!menu) {
            menu = new QTreeWidgetItem(figures_, {QString::fromStdString(figure.menu)});
            menu->setFlags(Qt::ItemIsEnabled);
        }
        auto* item = new QTreeWidgetItem(menu, {QString::fromStdString(figure.name)});
        item->setData(0, Qt::UserRole, QString::fromStdString(figure.name));
    }
}

void MainWindow::rebuildParameterEditors()
{
    while (parameterForm_->rowCount() > 0)
        parameterForm_->removeRow(0);
    editors_.clear();
    const RenderFigure& figure = model_.figure();
    editorsFigure_ = &figure;
    for (size_t k = 0; k < figure.parameters.size(); ++k) {
        const RenderParameter& p = figure.parameters[k];
        ParameterEditor editor;
        double from = p.randomOffset, to = p.randomOffset + p.randomScale;
        if (p.randomWhole)
            to -= 1;
        if (p.randomScale == 0) {
            const double reach = std::max(1.0, std::fabs(p.defaultValue));
            from = p.defaultValue - reach;
            to = p.defaultValue + reach;
        }
        // The figure's own value is on the slider too, even outside the random range.
        editor.low = std::min({from, to, p.defaultValue});
        editor.high = std::max({from, to, p.defaultValue});
        editor.number = new QDoubleSpinBox;
        editor.number->setRange(-1e9, 1e9);
        editor.number->setDecimals(p.randomWhole ? 0 : 6);
        editor.number->setSingleStep(p.randomWhole ? 1 : (editor.high - editor.low) / 100);
        editor.number->setToolTip(p.randomScale == 0 ? QString("No random range")
                                                      : QString("Random range %1 to %2")
                                                            .arg(std::min(from, to))
                                                            .arg(std::max(from, to)));
        editor.slider = new QSlider(Qt::Horizontal);
        for (QWidget* field : std::initializer_list<QWidget*>{editor.number, editor.slider}) {
            field->setFocusPolicy(Qt::StrongFocus);
            field->installEventFilter(this);
        }
        // The diagram's slider steps through the starts it offers.
        const int starts = static_cast<int>(bifurcationStarts().size());
        editor.slider->setRange(0, figure.isBifurcation() ? starts - 1 : kSliderSteps);
        auto* row = new QWidget;
        auto* rowLayout = new QVBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        rowLayout->setSpacing(2);
        rowLayout->addWidget(editor.number);
        rowLayout->addWidget(editor.slider);
        parameterForm_->addRow(QString::fromStdString(p.label), row);
        editors_.push_back(editor);
        connect(editor.number, &QDoubleSpinBox::valueChanged, this, [this, k](double value) {
            if (syncing_)
                return;
            apply(model_.setValue(k, value));
            syncWidgets();
        });
        connect(editor.slider, &QSlider::valueChanged, this, [this, k](int step) {
            if (syncing_)
                return;
            const ParameterEditor& e = editors_[k];
            double value = e.low + (e.high - e.low) * step / kSliderSteps;
            // A start as the figure's own value is written: 3.4, not the Single's 3.4000000953...
            if (model_.figure().isBifurcation())
                value = QString::number(bifurcationStarts()[static_cast<size_t>(step)].start, 'g', 7).toDouble();
            if (model_.figure().parameters[k].randomWhole)
                value = std::round(value);
            apply(model_.setValue(k, value));
            syncWidgets();
        });
    }
}

void MainWindow::syncWidgets()
{
    syncing_ = true;
    const RenderSettings& s = model_.settings();
    // The figure's item, and its editors when another figure came in.
    const QString name = QString::fromStdString(s.choice.figure->name);
    for (int m = 0; m < figures_->topLevelItemCount(); ++m)
        for (int k = 0; k < figures_->topLevelItem(m)->childCount(); ++k)
            if (QTreeWidgetItem* item = figures_->topLevelItem(m)->child(k);
                item->data(0, Qt::UserRole).toString() == name && figures_->currentItem() != item) {
                figures_->setCurrentItem(item);
                figures_->scrollToItem(item);
            }
    if (editorsFigure_ != s.choice.figure)
        rebuildParameterEditors();
    for (size_t k = 0; k < editors_.size(); ++k) {
        const double value = s.choice.values[k];
        const ParameterEditor& e = editors_[k];
        if (e.number->value() != value && !e.number->hasFocus())
            e.number->setValue(value);
        if (s.choice.figure->isBifurcation()) {
            const auto starts = bifurcationStarts();
            for (size_t n = 0; n < starts.size(); ++n)
                if (std::fabs(starts[n].start - value) < 1e-6)
                    e.slider->setValue(static_cast<int>(n));
            continue;
        }
        const double along = e.high > e.low ? (value - e.low) / (e.high - e.low) : 0;
        e.slider->setValue(static_cast<int>(std::lround(std::clamp(along, 0.0, 1.0) * kSliderSteps)));
    }
    seed_->setValue(static_cast<int>(s.seed));
    // The diagram has no random parameters to draw.
    random_->setEnabled(!s.choice.figure->isBifurcation());
    interesting_->setEnabled(!s.choice.figure->isBifurcation() || searching_);
    syncing_ = false;
    syncLookWidgets();
}

void MainWindow::syncLookWidgets()
{
    syncing_ = true;
    const RenderSettings& s = model_.settings();
    style_->setCurrentIndex(style_->findData(s.style == Style::Classic ? "classic" : "density"));
    const QString palette = QString::fromStdString(s.palette);
    if (palette_->findData(palette) < 0)
        palette_->addItem(QFileInfo(palette).fileName(), palette);
    palette_->setCurrentIndex(palette_->findData(palette));
    tone_->setCurrentIndex(tone_->findData(QString::fromStdString(s.tone)));
    colourBy_->setCurrentIndex(colourBy_->findData(QString(orbitColourName(s.colour))));
    background_->setText(QString::fromStdString(s.background));
    const double values[] = {s.controls.brightness, s.controls.gamma,    s.controls.gammaThreshold,
                             s.controls.vibrancy,   s.controls.highlight, s.controls.exposure};
    for (size_t k = 0; k < controls_.size(); ++k)
        controls_[k]->setValue(values[k]);
    const bool density = s.style == Style::Density;
    for (QWidget* w : std::initializer_list<QWidget*>{palette_, tone_, colourBy_})
        w->setEnabled(density);
    for (QDoubleSpinBox* c : controls_)
        c->setEnabled(density);
    syncing_ = false;
}

void MainWindow::apply(Change change)
{
    switch (change) {
    case Change::None: return;
    case Change::Retone:
        writeSettings();
        // A classic picture keeps no counts to colour again: it is drawn again.
        if (model_.settings().style == Style::Classic)
            restartPreview();
        else
            worker_->retone(previewSettings());
        return;
    case Change::Recount:
        restartPreview();
        settle_->start();
        return;
    }
}

void MainWindow::placeSettled()
{
    history_.record(model_.place());
    back_->setEnabled(history_.canGoBack());
    forward_->setEnabled(history_.canGoForward());
    askStats();
    // Kept as it settles, so that the next start finds it even after a crash.
    writeSettings();
}

RenderSettings MainWindow::previewSettings() const
{
    const QSize size = canvas_->deviceSize();
    RenderSettings s = model_.pictureSettings(framingOfSize(size.width(), size.height()),
                                              static_cast<uint64_t>(budget_->value() * 1e6), 1);
    s.threads = coreCount();
    return s;
}

ViewOnScreen MainWindow::shownNow() const
{
    const RenderSettings s = previewSettings();
    return {planeOf(s.choice, s.framing), s.framing, model_.viewAt(s.framing)};
}

void MainWindow::restartPreview()
{
    const RenderSettings s = previewSettings();
    failure_.clear();
    try {
        checkSettings(s);
        countingView_ = shownNow();
    } catch (const UsageError& e) {
        failure_ = QString::fromStdString(e.what());
        showStatus();
        return;
    }
    canvas_->setShown(countingView_);
    worker_->recount(s, s.points, keepGoing_->isChecked());
}

void MainWindow::showFrame(const PreviewFrame& frame)
{
    QImage image = frame.image;
    image.setDevicePixelRatio(canvas_->devicePixelRatioF());
    canvas_->setFrame(image, countingView_);
    lastFrame_ = frame;
    showStatus();
}

void MainWindow::showStatus()
{
    if (!failure_.isEmpty()) {
        status_->setText("Cannot draw: " + failure_);
        return;
    }
    const PreviewFrame& f = lastFrame_;
    QString text = millions(static_cast<double>(f.points)) + "points";
    if (f.seconds > 0 && f.points > f.from)
        text += " · " + millions(static_cast<double>(f.points - f.from) / f.seconds) + "points/s";
    if (f.litPixels > 0)
        text += " · " + QString::number(static_cast<double>(f.points) / f.litPixels, 'f', 1) + " hits per lit pixel";
    text += f.done ? " · done" : " · counting";
    status_->setText(text);
}

void MainWindow::askStats()
{
    const uint64_t asked = ++statsAsked_;
    if (model_.figure().isBifurcation()) {
        orbitStatus_->setText("A sweep of r: no one orbit to follow");
        return;
    }
    RenderSettings s = previewSettings();
    s.threads = 1;
    orbitStatus_->setText("Orbit: …");
    statsThread_.post([this, s, asked] {
        QString text;
        try {
            const OrbitStats stats = followOrbit(s);
            text = QString("Orbit: %1").arg(outcomeName(stats.outcome));
            if (const auto largest = stats.largestExponent())
                text += QString(", largest exponent %1").arg(*largest, 0, 'f', 4);
        } catch (const std::exception& e) {
            text = "Orbit: " + QString::fromStdString(e.what());
        }
        later(this, alive_, [this, text, asked] {
            if (asked == statsAsked_)
                orbitStatus_->setText(text);
        });
    });
}

void MainWindow::moveView(const std::function<View(const ViewOnScreen&)>& move)
{
    // A figure whose parameters give it no plane (a diagram's start that is
    // none of its four) cannot be moved about; the status line says why.
    try {
        setView(move(shownNow()));
    } catch (const UsageError& e) {
        statusBar()->showMessage(QString::fromStdString(e.what()), 4000);
    }
}

void MainWindow::setView(const std::optional<View>& view)
{
    if (view) {
        try {
            const RenderSettings s = previewSettings();
            checkView(*view, planeOf(s.choice, s.framing), s.framing);
        } catch (const UsageError& e) {
            statusBar()->showMessage(QString::fromStdString(e.what()), 4000);
            return;
        }
    }
    apply(model_.setView(view));
}

void MainWindow::fitView()
{
    // Fitting follows the orbit: off the interface thread, like counting.
    RenderSettings s = previewSettings();
    s.fit = true;
    statsThread_.post(
        [this, s]() mutable {
            QString error;
            try {
                resolveFit(s);
            } catch (const std::exception& e) {
                error = QString::fromStdString(e.what());
            }
            later(this, alive_, [this, s, error] {
                if (!error.isEmpty())
                    showError("Fit the Orbit", "The orbit cannot be framed: " + error);
                else if (s.choice.figure == &model_.figure() && s.choice.values == model_.settings().choice.values)
                    setView(s.view);
            });
        },
        false);
}

void MainWindow::goBack()
{
    if (const auto place = history_.back()) {
        apply(model_.setPlace(*place));
        syncWidgets();
    }
    back_->setEnabled(history_.canGoBack());
    forward_->setEnabled(history_.canGoForward());
}

void MainWindow::goForward()
{
    if (const auto place = history_.forward()) {
        apply(model_.setPlace(*place));
        syncWidgets();
    }
    back_->setEnabled(history_.canGoBack());
    forward_->setEnabled(history_.canGoForward());
}

void MainWindow::lookForInteresting()
{
    if (searching_) {
        stopSearch_ = true;
        return;
    }
    const RenderFigure* figure = &model_.figure();
    if (figure->isBifurcation()) {
        showError("Interesting", "The bifurcation diagram has no random parameters to look through.");
        return;
    }
    searching_ = true;
    stopSearch_ = false;
    interesting_->setText("Stop");
    statusBar()->showMessage("Looking for an interesting figure…");
    std::random_device device;
    const uint32_t first = device() & 0xFFFFFF;
    const RenderSettings base = model_.pictureSettings(framingOfSize(320, 240), 2'000'000, 1);
    searchThread_.post([this, figure, first, base] {
        std::optional<Candidate> found;
        uint64_t draws = 0;
        const SettingsFor settingsFor = [base](const FigureChoice& choice) {
            RenderSettings s = base;
            s.choice = choice;
            s.fit = true;
            return s;
        };
        try {
            DrawSeeds seeds(figure, first);
            for (; draws < 200 && !stopSearch_; ++draws) {
                Candidate c = judgeDraw(figure, seeds.next(), draws, settingsFor, Interest{}, StatsOptions{});
                if (c.verdict == Verdict::Kept) {
                    found = std::move(c);
                    break;
                }
            }
        } catch (const std::exception&) {
        }
        later(this, alive_, [this, found, draws, figure] {
            searching_ = false;
            interesting_->setText("Interesting");
            if (!found) {
                statusBar()->showMessage(stopSearch_ ? "Stopped looking"
                                                     : QString("Nothing interesting in %1 draws").arg(draws),
                                         5000);
                return;
            }
            apply(model_.setPlace({figure, found->settings.choice.values, model_.settings().seed,
                                   found->settings.view}));
            syncWidgets();
            statusBar()->showMessage(QString("Found at draw %1").arg(draws + 1), 5000);
        });
    });
}

void MainWindow::showError(const QString& title, const QString& message)
{
    // The renderer's messages begin in lower case, to follow "quillon-render: ".
    QString sentence = message;
    if (!sentence.isEmpty())
        sentence[0] = sentence[0].toUpper();
    QMessageBox::warning(this, title, sentence);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel) {
        if (auto* field = qobject_cast<QWidget*>(watched); field && !field->hasFocus()) {
            QApplication::sendEvent(panelScroll_->verticalScrollBar(), event);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (exporting()) {
        const auto answer = QMessageBox::question(
            this, "Quit", QString("%1 is being exported. Stop the export (no file is written) and quit?")
                              .arg(QFileInfo(export_->path()).fileName()));
        if (answer != QMessageBox::Yes) {
            event->ignore();
            return;
        }
        delete export_;  // stops it and waits
        export_ = nullptr;
    }
    stopSearch_ = true;
    writeSettings();
    event->accept();
}

void MainWindow::readSettings()
{
    QSettings settings;
    restoreGeometry(settings.value("geometry").toByteArray());
    restoreState(settings.value("windowState").toByteArray());
    if (const RenderFigure* figure = findFigure(settings.value("figure", "Henon").toString().toStdString()))
        model_.setFigure(figure);
    const QVariantList values = settings.value("values").toList();
    for (int k = 0; k < values.size(); ++k)
        model_.setValue(static_cast<size_t>(k), values[k].toDouble());
    model_.setSeed(settings.value("seed", 1).toUInt());
    model_.setStyle(settings.value("style").toString() == "classic" ? Style::Classic : Style::Density);
    model_.setTone(settings.value("tone", "log").toString().toStdString());
    model_.setPalette(settings.value("palette", "ember").toString().toStdString());
    model_.setBackground(settings.value("background", "#000000").toString().toStdString());
    if (const auto colour = orbitColourNamed(settings.value("colourBy", "density").toString().toStdString())) {
        try {
            model_.setColour(*colour);
        } catch (const UsageError&) {
        }
    }
    ToneControls c = model_.settings().controls;
    const QVariantList stored = settings.value("controls").toList();
    if (stored.size() == 6) {
        c = {stored[0].toDouble(), stored[1].toDouble(), stored[2].toDouble(),
             stored[3].toDouble(), stored[4].toDouble(), stored[5].toDouble()};
        try {
            c.check();
            model_.setControls(c);
        } catch (const UsageError&) {
        }
    }
}

void MainWindow::writeSettings() const
{
    QSettings settings;
    const RenderSettings& s = model_.settings();
    settings.setValue("geometry", saveGeometry());
    settings.setValue("windowState", saveState());
    settings.setValue("figure", QString::fromStdString(s.choice.figure->name));
    QVariantList values;
    for (const double v : s.choice.values)
        values.push_back(v);
    settings.setValue("values", values);
    settings.setValue("seed", s.seed);
    settings.setValue("style", s.style == Style::Classic ? "classic" : "density");
    settings.setValue("tone", QString::fromStdString(s.tone));
    settings.setValue("palette", QString::fromStdString(s.palette));
    settings.setValue("background", QString::fromStdString(s.background));
    settings.setValue("colourBy", QString(orbitColourName(s.colour)));
    settings.setValue("controls", QVariantList{s.controls.brightness, s.controls.gamma, s.controls.gammaThreshold,
                                               s.controls.vibrancy, s.controls.highlight, s.controls.exposure});
}

}  // namespace quillon::studio
