#include "logged_data/data_graph_page.h"

#include "logged_data/exposure_window.h"

#include <qcustomplot.h>
#include <QMouseEvent>
#include <QPrinter>
#include <QVBoxLayout>
#include <cmath>

#include "link/commands.h"
#include "logged_data/data_text_page.h"
#include "widgets/control_names.h"
#include "widgets/run_guarded.h"
#include "widgets/tool_icons.h"

namespace nesmo {

namespace {

// Days since 30 December 1899 to seconds since 1 January 1970, the keys of the
// chart's date-time axis.
constexpr double kUnixEpochDay = 25569.0;
double axisKey(double day)
{
    return (day - kUnixEpochDay) * 86400.0;
}

struct SeriesLook {
    const char* name;
    const char* designTitle;
    QColor colour;
    QCPScatterStyle::ScatterShape marker;
};
const SeriesLook kSeries[kSeriesCount] = {
    {"Series7", "Data", QColor(128, 128, 128), QCPScatterStyle::ssSquare},
    {"Series8", "Temp", QColor(255, 0, 0), QCPScatterStyle::ssDiamond},
    {"Series9", "RH %", QColor(0, 0, 255), QCPScatterStyle::ssTriangle},
    {"Series10", "AtmoP", QColor(0, 255, 0), QCPScatterStyle::ssCircle},
};

struct OptionLook {
    const char* action;
    const char* caption;
    bool checked;
    const char* button;
    const char* hint;
};
const OptionLook kOptions[6] = {
    {"Data1", "D&ata", true, "ToolButtonData", "Show/Hide Data"},
    {"Temp1", "&Temp", true, "ToolButtonTemp", "Show/Hide Temperature"},
    {"Humidity1", "&Humidity", true, "ToolButtonHumid", "Show/Hide Relative Humidty"},
    {"Diameter1", "&AtmoP", true, "ToolButtonDiam", "Show/Hide Barometric Pressured"},
    {"Markers", "&Point markers", false, "ToolButtonMarkers", "Show/Hide point markers"},
    {"StepGraph1", "&Steps", true, "ToolButtonStep", "Step  function /Connect points"},
};

}  // namespace

DataGraphPage::DataGraphPage(AppState& state, Link& link, Dialogs& dialogs, DataTextPage& text,
                             QWidget* parent)
    : QWidget(parent), state_(state), link_(link), dialogs_(dialogs), text_(text)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    toolBar_ = nameField(new QToolBar, "ToolBar1", QStringLiteral("Data graph tools"));
    toolBar_->setIconSize(QSize(20, 20));
    addToolButton(toolBar_, "ToolButton2", QStringLiteral("Get new data from the Nesmo-7"),
                  toolIcon(ToolIcon::Download));
    addToolButton(toolBar_, "ToolButton3", QStringLiteral("Open a saved data file"),
                  toolIcon(ToolIcon::Open));
    addToolButton(toolBar_, "ToolButton20", QStringLiteral("Save to disk"),
                  toolIcon(ToolIcon::Save));
    addToolButton(toolBar_, "ToolButton21", QStringLiteral("Print the displayed graph"),
                  toolIcon(ToolIcon::Print));
    toolBar_->addSeparator();
    addToolButton(toolBar_, "ToolButton24", QStringLiteral("Copy Graph to Clipboard"),
                  toolIcon(ToolIcon::Copy));
    buildOptions();
    toolBar_->addSeparator();
    exposureAction_ = new QAction(QStringLiteral("&Exposure summary"), this);
    exposureAction_->setObjectName(QStringLiteral("GraphExposureSummary"));
    exposure_ = new ExposureWindow([this] { return text_.textBytes(); },
                                   [this] { return visibleRange(); }, this);
    connect(exposureAction_, &QAction::triggered, exposure_, &ExposureWindow::showSummary);
    connect(addToolButton(toolBar_, "ExposureSummaryButton", QStringLiteral("Exposure summary"),
                          style()->standardIcon(QStyle::SP_FileDialogInfoView)),
            &QToolButton::clicked, exposureAction_, &QAction::trigger);
    toolBar_->addSeparator();
    addToolButton(toolBar_, "ToolButton27", QStringLiteral("Help Contents"),
                  toolIcon(ToolIcon::Help));
    layout->addWidget(toolBar_);

    buildChart();
    layout->addWidget(chart_, 1);

    statusBar_ = nameField(new QStatusBar, "StatusBarGraph", QStringLiteral("Data graph status"));
    statusBar_->setSizeGripEnabled(false);
    layout->addWidget(statusBar_);
}

QToolButton* DataGraphPage::toolButton(const char* objectName) const
{
    return findToolButton(toolBar_, objectName);
}

std::optional<std::pair<double, double>> DataGraphPage::visibleRange() const
{
    if (series_[SeriesData]->dataCount() == 0) return std::nullopt;
    const QCPRange r = chart_->xAxis->range();
    return std::make_pair(r.lower / 86400.0 + kUnixEpochDay, r.upper / 86400.0 + kUnixEpochDay);
}

QList<QAction*> DataGraphPage::optionActions() const
{
    return QList<QAction*>(std::begin(options_), std::end(options_));
}

void DataGraphPage::buildOptions()
{
    for (int i = 0; i < 6; ++i) {
        if (i == 0 || i == 4) toolBar_->addSeparator();
        auto* action = new QAction(QString::fromLatin1(kOptions[i].caption), this);
        action->setObjectName(QString::fromLatin1(kOptions[i].action));
        action->setCheckable(true);
        action->setChecked(kOptions[i].checked);
        connect(action, &QAction::triggered, this,
                [this] { runGuarded(dialogs_, [this] { optionToggled(); }); });
        options_[i] = action;
        optionButtons_[i] = addToolButton(toolBar_, kOptions[i].button,
                                          QString::fromLatin1(kOptions[i].hint), QIcon());
        connect(optionButtons_[i], &QToolButton::clicked, action, &QAction::trigger);
    }
    // At start every button shows its first picture, whatever its option's state.
    for (int i = 0; i < 4; ++i)
        optionButtons_[i]->setIcon(seriesIcon(kSeries[i].colour, true));
    optionButtons_[4]->setIcon(optionIcon(ToolIcon::Markers, true));
    optionButtons_[5]->setIcon(optionIcon(ToolIcon::Steps, true));
}

void DataGraphPage::updateOptionImages()
{
    for (int i = 0; i < 4; ++i)
        optionButtons_[i]->setIcon(seriesIcon(kSeries[i].colour, options_[i]->isChecked()));
    optionButtons_[4]->setIcon(optionIcon(ToolIcon::Markers, options_[4]->isChecked()));
    optionButtons_[5]->setIcon(optionIcon(ToolIcon::Steps, options_[5]->isChecked()));
}

void DataGraphPage::buildChart()
{
    chart_ = nameField(new QCustomPlot, "Chart2", QStringLiteral("Logged data chart"));
    chart_->setToolTip(QStringLiteral(
        "Left click and drag to select zoom area; Right click and drag to pan chart."));
    // English month names on the time axis, whatever the desktop's language.
    chart_->setLocale(QLocale::c());
    chart_->setBackground(Qt::white);
    // A tag holds up to 65,535 points a series, drawn with 3-pixel lines: one
    // polyline per series draws them many times faster than single segments.
    chart_->setPlottingHint(QCP::phFastPolylines, true);
    chart_->plotLayout()->insertRow(0);
    title_ = new QCPTextElement(chart_, QString(), QFont(QStringLiteral("Arial"), 10, QFont::Bold));
    chart_->plotLayout()->addElement(0, 0, title_);

    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeFormat(QStringLiteral("dd-MMM-yy\nhh:mm:ss"));
    ticker->setDateTimeSpec(Qt::UTC);
    chart_->xAxis->setTicker(ticker);
    chart_->xAxis2->setVisible(false);
    chart_->yAxis2->setVisible(false);
    chart_->yAxis->setRange(0, 1);

    for (int s = 0; s < kSeriesCount; ++s) {
        QCPGraph* g = chart_->addGraph(chart_->xAxis, chart_->yAxis);
        g->setObjectName(QString::fromLatin1(kSeries[s].name));
        g->setName(QString::fromLatin1(kSeries[s].designTitle));
        g->setPen(QPen(kSeries[s].colour, 3));
        g->setLineStyle(QCPGraph::lsStepRight);
        g->setAdaptiveSampling(true);
        series_[s] = g;
    }

    QFont legendFont(QStringLiteral("Arial Narrow"));
    legendFont.setPixelSize(13);
    chart_->legend->setVisible(true);
    chart_->legend->setFont(legendFont);
    chart_->legend->setTextColor(Qt::black);
    chart_->legend->setBorderPen(Qt::NoPen);
    chart_->legend->setBrush(QColor(255, 255, 255, 220));
    chart_->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);

    // The left button drags a rectangle to zoom into; the right one pans.
    chart_->setSelectionRectMode(QCP::srmZoom);
    chart_->installEventFilter(this);
}

bool DataGraphPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != chart_) return QWidget::eventFilter(watched, event);
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::RightButton) {
        panning_ = true;
        panFrom_ = mouse->position();
        return true;
    }
    if (type == QEvent::MouseMove && panning_) {
        const QPointF to = mouse->position();
        QCPAxis* x = chart_->xAxis;
        QCPAxis* y = chart_->yAxis;
        x->moveRange(x->pixelToCoord(panFrom_.x()) - x->pixelToCoord(to.x()));
        y->moveRange(y->pixelToCoord(panFrom_.y()) - y->pixelToCoord(to.y()));
        panFrom_ = to;
        chart_->replot(QCustomPlot::rpQueuedReplot);
        return true;
    }
    if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::RightButton && panning_) {
        panning_ = false;
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

GraphOptions DataGraphPage::graphOptions() const
{
    GraphOptions o;
    for (int s = 0; s < kSeriesCount; ++s)
        o.shown[s] = options_[s]->isChecked();
    o.markers = options_[4]->isChecked();
    o.steps = options_[5]->isChecked();
    return o;
}

void DataGraphPage::optionToggled()
{
    ChangeGraphSeries();
    updateOptionImages();
}

void DataGraphPage::ChangeGraphSeries()
{
    state_.GraphStale = true;
    // At least one series is always shown.
    if (!options_[0]->isChecked() && !options_[1]->isChecked() && !options_[2]->isChecked() &&
        !options_[3]->isChecked())
        options_[0]->setChecked(true);
    if (isActive_ && isActive_()) Tab3Show();
}

void DataGraphPage::Tab3Show()
{
    if (!state_.GraphStale) {
        link_.SendCommand(QByteArray(cmd::kGraphShown));
        // A tag dump captured during that exchange makes the graph stale.
        if (!state_.GraphStale) return;
    }
    state_.GraphStale = false;

    const QByteArray text = text_.textBytes();
    const GraphData data =
        buildGraphData(text, graphOptions(), deviceNumberFromFileName(state_.CurrentFileName));
    QTextCursor cursor = text_.RichEdit1()->textCursor();
    cursor.clearSelection();
    text_.RichEdit1()->setTextCursor(cursor);

    const qsizetype missing = data.header.missingKeys.size();
    for (qsizetype i = 0; i < missing; ++i)
        dialogs_.message(data.messages[i]);
    draw(data);
    for (qsizetype i = missing; i < data.messages.size(); ++i)
        dialogs_.message(data.messages[i]);
    if (!data.error.isEmpty()) dialogs_.error(data.error);
}

void DataGraphPage::draw(const GraphData& data)
{
    title_->setText(data.title);
    const GraphOptions options = graphOptions();
    QVector<double> keys;
    keys.reserve(data.times.size());
    for (const double t : data.times)
        keys << axisKey(t);
    for (int s = 0; s < kSeriesCount; ++s) {
        QCPGraph* g = series_[s];
        g->setName(data.seriesTitles[s]);
        g->setScatterStyle(options.markers ? QCPScatterStyle(kSeries[s].marker, kSeries[s].colour,
                                                             kSeries[s].colour, 7)
                                           : QCPScatterStyle(QCPScatterStyle::ssNone));
        g->setLineStyle(options.steps ? QCPGraph::lsStepRight : QCPGraph::lsLine);
        if (data.values[s].isEmpty())
            g->data()->clear();
        else
            g->setData(keys, QVector<double>(data.values[s].begin(), data.values[s].end()));
    }

    // Undo any zoom and pan: everything drawn is in view.
    bool found = false;
    QCPRange x;
    QCPRange y;
    for (QCPGraph* g : series_) {
        bool has = false;
        const QCPRange gx = g->getKeyRange(has);
        if (!has) continue;
        bool hasValues = false;
        const QCPRange gy = g->getValueRange(hasValues);
        if (!hasValues) continue;
        x = found ? QCPRange(qMin(x.lower, gx.lower), qMax(x.upper, gx.upper)) : gx;
        y = found ? QCPRange(qMin(y.lower, gy.lower), qMax(y.upper, gy.upper)) : gy;
        found = true;
    }
    if (found) {
        if (x.size() <= 0) x = QCPRange(x.lower - 60, x.upper + 60);
        // The left axis starts at 0 unless a shown concentration is below 0.
        if (!data.automaticMinimum) y.lower = 0;
        if (y.upper <= y.lower) y.upper = y.lower + 1;
        const double pad = y.size() * 0.05;
        chart_->xAxis->setRange(x);
        chart_->yAxis->setRange(y.lower - (data.automaticMinimum ? pad : 0), y.upper + pad);
    } else {
        chart_->yAxis->setRange(0, 1);
    }
    chart_->replot();
}

void DataGraphPage::printChart(QPrinter& printer)
{
    const QPageLayout::Orientation before = printer.pageLayout().orientation();
    printer.setPageOrientation(QPageLayout::Landscape);
    QCPPainter painter;
    if (painter.begin(&printer)) {
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
        const QSize size = chart_->size().expandedTo(QSize(800, 500));
        const double scale = qMin(page.width() / size.width(), page.height() / size.height());
        painter.scale(scale, scale);
        chart_->toPainter(&painter, size.width(), size.height());
        painter.end();
    }
    printer.setPageOrientation(before);
}

QPixmap DataGraphPage::chartPicture() const
{
    return chart_->toPixmap(chart_->width(), chart_->height());
}

}  // namespace nesmo
