#include "logged_data/data_graph_page.h"

#include "logged_data/exposure_window.h"

#include <qcustomplot.h>
#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/save_file.h"
#include "files/exposure.h"
#include "link/commands.h"
#include "logged_data/data_text_page.h"
#include "logged_data/exposure_report.h"
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

// How the read-out names each series and how many decimals its values get (as
// in the exposure summary).
struct ReadoutLook {
    const char* label;
    int decimals;
};
const ReadoutLook kReadout[kSeriesCount] = {{"Concentration", 3}, {"T", 1}, {"RH", 0}, {"Pa", 0}};

const QColor kAlarmColour(215, 95, 0);

// The small pictures of the "Whole tag" and "Save chart as image" buttons.
QIcon wholeTagIcon()
{
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(50, 50, 50), 1.6));
    p.drawLine(QPointF(2.5, 4), QPointF(2.5, 16));
    p.drawLine(QPointF(17.5, 4), QPointF(17.5, 16));
    p.drawLine(QPointF(5, 10), QPointF(15, 10));
    p.setBrush(QColor(50, 50, 50));
    p.drawPolygon(QPolygonF({QPointF(5, 10), QPointF(8.5, 7), QPointF(8.5, 13)}));
    p.drawPolygon(QPolygonF({QPointF(15, 10), QPointF(11.5, 7), QPointF(11.5, 13)}));
    return QIcon(pixmap);
}

QIcon chartImageIcon()
{
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(70, 70, 70), 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 3.5, 15, 13));
    p.setPen(QPen(QColor(0, 0, 220), 1.6));
    p.drawPolyline(QPolygonF({QPointF(4, 14), QPointF(8, 9), QPointF(11, 12), QPointF(16, 6)}));
    return QIcon(pixmap);
}

// A series' range with a twentieth of its size either side; a concentration
// axis starts at 0 unless a concentration is below it.
std::pair<double, double> ownRange(const QCPRange& values, bool fromZero)
{
    double lower = fromZero ? qMin(0.0, values.lower) : values.lower;
    double upper = values.upper;
    if (upper <= lower) {
        lower -= fromZero && lower == 0 ? 0 : 0.5;
        upper = lower + 1;
    }
    const double pad = (upper - lower) * 0.05;
    return {lower < 0 || !fromZero ? lower - pad : lower, upper + pad};
}

// Colours an axis' line, ticks and texts, keeping the pens' other properties.
void colourAxis(QCPAxis* axis, const QColor& line, const QColor& text)
{
    QPen base = axis->basePen();
    base.setColor(line);
    axis->setBasePen(base);
    QPen tick = axis->tickPen();
    tick.setColor(line);
    axis->setTickPen(tick);
    QPen sub = axis->subTickPen();
    sub.setColor(line);
    axis->setSubTickPen(sub);
    axis->setLabelColor(text);
    axis->setTickLabelColor(text);
}

}  // namespace

DataGraphPage::DataGraphPage(AppState& state, Link& link, Dialogs& dialogs, DataTextPage& text,
                             QWidget* parent)
    : QWidget(parent), state_(state), link_(link), dialogs_(dialogs), text_(text)
{
    connect(&link_, &Link::dumpFinished, this, &DataGraphPage::markStale);
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
    saveImageAction_ = new QAction(QStringLiteral("Save chart as &image\u2026"), this);
    saveImageAction_->setObjectName(QStringLiteral("GraphSaveImage"));
    connect(saveImageAction_, &QAction::triggered, this,
            [this] { runGuarded(dialogs_, [this] { saveImageExecute(); }); });
    connect(addToolButton(toolBar_, "SaveImageButton", QStringLiteral("Save chart as image"),
                          chartImageIcon()),
            &QToolButton::clicked, saveImageAction_, &QAction::trigger);
    buildOptions();
    separateAxesAction_ = new QAction(QStringLiteral("&One axis per series"), this);
    separateAxesAction_->setObjectName(QStringLiteral("GraphSeparateAxes"));
    separateAxesAction_->setCheckable(true);
    // Only the axes change: the drawn records stay, the zoom in time too.
    connect(separateAxesAction_, &QAction::toggled, this, [this] {
        layoutAxes();
        showRanges(false);
        chart_->replot();
    });
    toolBar_->addSeparator();
    QToolButton* wholeTag =
        addToolButton(toolBar_, "ZoomResetButton", QStringLiteral("Whole tag"), wholeTagIcon());
    wholeTag->setToolTip(
        QStringLiteral("Whole tag: back to the full time range and value axes (or double-click "
                       "the chart)"));
    connect(wholeTag, &QToolButton::clicked, this, &DataGraphPage::showWholeTag);
    exposureAction_ = new QAction(QStringLiteral("&Exposure summary"), this);
    exposureAction_->setObjectName(QStringLiteral("GraphExposureSummary"));
    exposure_ = new ExposureWindow([this] { return text_.textBytes(); },
                                   [this] { return visibleRange(); }, this);
    connect(exposureAction_, &QAction::triggered, exposure_, &ExposureWindow::showSummary);
    connect(exposure_, &ExposureWindow::printRequested, this,
            [this] { runGuarded(dialogs_, [this] { printExposureSummary(); }); });
    connect(exposure_, &ExposureWindow::reportRequested, this,
            [this] { runGuarded(dialogs_, [this] { saveReportExecute(); }); });
    // The summary follows the text: another tag loaded, a record edited.
    connect(text_.RichEdit1()->document(), &QTextDocument::contentsChanged, exposure_,
            &ExposureWindow::scheduleRefresh);
    connect(addToolButton(toolBar_, "ExposureSummaryButton", QStringLiteral("Exposure summary"),
                          style()->standardIcon(QStyle::SP_FileDialogInfoView)),
            &QToolButton::clicked, exposureAction_, &QAction::trigger);
    toolBar_->addSeparator();
    addToolButton(toolBar_, "ToolButton27", QStringLiteral("Help Contents"),
                  toolIcon(ToolIcon::Help));
    layout->addWidget(toolBar_);

    buildChart();
    layout->addWidget(chart_, 1);
    // ... and the zoom, where it summarises the visible range.
    connect(chart_->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), exposure_, [this] {
        if (exposure_->VisibleRangeOnly()->isChecked()) exposure_->scheduleRefresh();
    });

    statusBar_ = nameField(new QStatusBar, "StatusBarGraph", QStringLiteral("Data graph status"));
    statusBar_->setSizeGripEnabled(false);
    readout_ = nameControl(new QLabel, "GraphReadout");
    // A long read-out is cut at the bar's end rather than widening the window.
    readout_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar_->addPermanentWidget(readout_, 1);
    layout->addWidget(statusBar_);
}

DataGraphPage::~DataGraphPage() = default;

QToolButton* DataGraphPage::toolButton(const char* objectName) const
{
    return findToolButton(toolBar_, objectName);
}

std::optional<std::pair<double, double>> DataGraphPage::visibleRange() const
{
    if (series_[SeriesData]->dataCount() == 0) return std::nullopt;
    const QCPRange r = chart_->xAxis->range();
    // In the file's own record times, which the summary works with.
    const double lower = (r.lower - drawingDelaySeconds_) / 86400.0 + kUnixEpochDay;
    const double upper = (r.upper - drawingDelaySeconds_) / 86400.0 + kUnixEpochDay;
    return std::make_pair(lower, upper);
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

    // The alarm level: a dashed line across the concentration axis, its label
    // at the left end just above it.
    alarmLine_ = new QCPItemStraightLine(chart_);
    alarmLine_->setObjectName(QStringLiteral("AlarmLine"));
    alarmLine_->setPen(QPen(kAlarmColour, 2, Qt::DashLine));
    alarmLabel_ = new QCPItemText(chart_);
    alarmLabel_->setObjectName(QStringLiteral("AlarmLabel"));
    QFont alarmFont(QStringLiteral("Arial"));
    alarmFont.setPixelSize(12);
    alarmLabel_->setFont(alarmFont);
    alarmLabel_->setColor(kAlarmColour.darker(120));
    alarmLabel_->setBrush(QColor(255, 255, 255, 235));
    alarmLabel_->setPadding(QMargins(3, 1, 3, 1));
    alarmLabel_->setPositionAlignment(Qt::AlignLeft | Qt::AlignBottom);
    alarmLabel_->position->setAxes(chart_->xAxis, chart_->yAxis);
    alarmLabel_->position->setAxisRect(chart_->axisRect());
    alarmLabel_->position->setTypeX(QCPItemPosition::ptAxisRectRatio);
    alarmLabel_->position->setTypeY(QCPItemPosition::ptPlotCoords);
    // Across the plot whatever the time range: the ends' time is a share of its width.
    for (QCPItemPosition* end : {alarmLine_->point1, alarmLine_->point2})
        end->setTypeX(QCPItemPosition::ptAxisRectRatio);
    alarmLine_->point2->setCoords(1, 0);
    alarmLine_->setVisible(false);
    alarmLabel_->setVisible(false);

    // The read-out's line follows the mouse on a layer of its own, so that only
    // that layer is drawn again when it moves.
    chart_->addLayer(QStringLiteral("readout"), chart_->layer(QStringLiteral("main")),
                     QCustomPlot::limAbove);
    readoutLayer_ = chart_->layer(QStringLiteral("readout"));
    readoutLayer_->setMode(QCPLayer::lmBuffered);
    tracer_ = new QCPItemStraightLine(chart_);
    tracer_->setObjectName(QStringLiteral("ReadoutLine"));
    tracer_->setLayer(readoutLayer_);
    // Solid, unlike the dotted grid lines it often falls on.
    tracer_->setPen(QPen(QColor(0, 0, 0, 140), 1));
    for (QCPItemPosition* end : {tracer_->point1, tracer_->point2})
        end->setTypeY(QCPItemPosition::ptAxisRectRatio);
    tracer_->setVisible(false);

    // The left button drags a rectangle to zoom into; the right one pans.
    chart_->setSelectionRectMode(QCP::srmZoom);
    chart_->setMouseTracking(true);
    chart_->installEventFilter(this);
}

bool DataGraphPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != chart_) return QWidget::eventFilter(watched, event);
    const auto type = event->type();
    if (type == QEvent::Leave) {
        clearReadout();
        return QWidget::eventFilter(watched, event);
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
        return QWidget::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (type == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton) {
        showWholeTag();
        return true;
    }
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::RightButton) {
        panning_ = true;
        panFrom_ = mouse->position();
        return true;
    }
    if (type == QEvent::MouseMove && panning_) {
        // Every value axis shown moves with the mouse, each by its own scale.
        const QPointF to = mouse->position();
        QCPAxis* x = chart_->xAxis;
        x->moveRange(x->pixelToCoord(panFrom_.x()) - x->pixelToCoord(to.x()));
        for (QCPAxis* y : chart_->axisRect()->axes(QCPAxis::atLeft | QCPAxis::atRight))
            if (y->visible()) y->moveRange(y->pixelToCoord(panFrom_.y()) - y->pixelToCoord(to.y()));
        panFrom_ = to;
        chart_->replot(QCustomPlot::rpQueuedReplot);
        return true;
    }
    if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::RightButton && panning_) {
        panning_ = false;
        return true;
    }
    if (type == QEvent::MouseMove) showReadout(mouse->position());
    return QWidget::eventFilter(watched, event);
}

void DataGraphPage::showReadout(const QPointF& at)
{
    const QList<double>& keys = drawn_.keys;
    // The plot area, its right and bottom edges included (the last record's time).
    if (keys.isEmpty() || !QRectF(chart_->axisRect()->rect()).contains(at)) {
        clearReadout();
        return;
    }
    // The record drawn under the mouse. With steps a record's value is the level
    // over the log period that ends at its time: the first record at or after the
    // mouse. With lines, the record nearest to it. The pixels either side of a
    // record's time count as on it.
    QCPAxis* x = chart_->xAxis;
    const double key = x->pixelToCoord(at.x());
    const double slack = std::fabs(x->pixelToCoord(at.x() + 1) - key);
    qsizetype i = std::lower_bound(keys.begin(), keys.end(), key - slack) - keys.begin();
    if (i == keys.size()) {
        i = keys.size() - 1;
    } else if (!options_[5]->isChecked() && i > 0 && key - keys[i - 1] < keys[i] - key) {
        --i;
    }

    // The time as in the exposure summary and the record lines' own order,
    // "yyyy-MM-dd hh:mm:ss": records can be a second apart, and the locale's
    // short format drops the seconds; the same time can be looked up in the
    // summary. Numbers follow the user's locale; the series are parted by
    // semicolons, as a decimal comma would make commas ambiguous.
    const QLocale locale;
    QStringList parts;
    for (int s = 0; s < kSeriesCount; ++s) {
        const QList<double>& values = drawn_.values[s];
        if (i >= values.size()) continue;
        const double v = values[i];
        QString part = QString::fromLatin1(kReadout[s].label) + QLatin1Char(' ');
        if (std::isnan(v)) {
            part += QStringLiteral("unreadable");
        } else {
            part += locale.toString(v, 'f', kReadout[s].decimals);
            if (!drawn_.units[s].isEmpty()) part += QLatin1Char(' ') + drawn_.units[s];
        }
        parts << part;
    }
    readout_->setText(exposureTimeText(keys[i] / 86400.0 + kUnixEpochDay) + QStringLiteral("  ") +
                      parts.join(QStringLiteral("; ")));

    tracer_->point1->setCoords(keys[i], 0);
    tracer_->point2->setCoords(keys[i], 1);
    tracer_->setVisible(true);
    readoutLayer_->replot();
}

void DataGraphPage::clearReadout()
{
    readout_->clear();
    if (!tracer_->visible()) return;
    tracer_->setVisible(false);
    readoutLayer_->replot();
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
    stale_ = true;
    // At least one series is always shown.
    if (!options_[0]->isChecked() && !options_[1]->isChecked() && !options_[2]->isChecked() &&
        !options_[3]->isChecked())
        options_[0]->setChecked(true);
    if (isActive_ && isActive_()) Tab3Show();
}

void DataGraphPage::Tab3Show()
{
    if (!stale_) {
        link_.SendCommand(QByteArray(cmd::kGraphShown));
        // A tag dump captured during that exchange makes the graph stale.
        if (!stale_) return;
    }
    stale_ = false;

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
    drawingDelaySeconds_ = data.drawingDelaySeconds;
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

    // Undo any zoom and pan: everything drawn is in view. Each series' own range
    // is kept for the axis it gets when every series has one.
    bool found = false;
    QCPRange x;
    QCPRange y;
    drawn_ = Drawn();
    for (int s = 0; s < kSeriesCount; ++s) {
        QCPGraph* g = series_[s];
        bool has = false;
        const QCPRange gx = g->getKeyRange(has);
        if (!has) continue;
        bool hasValues = false;
        const QCPRange gy = g->getValueRange(hasValues);
        if (!hasValues) continue;
        drawn_.own[s] = ownRange(gy, s == SeriesData);
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
        drawn_.hasRanges = true;
        drawn_.xLower = x.lower;
        drawn_.xUpper = x.upper;
        drawn_.sharedLower = y.lower - (data.automaticMinimum ? pad : 0);
        drawn_.sharedUpper = y.upper + pad;
    }
    // What the read-out tells of a record.
    drawn_.keys = keys;
    drawn_.values = data.values;
    drawn_.units[SeriesData] =
        data.seriesTitles[SeriesData].section(QLatin1Char('"'), 0, 0).trimmed();
    const char t = data.header.TempUnits;
    if (t == 'C' || t == 'F') drawn_.units[SeriesTemp] = QString(QChar(0xB0)) + QLatin1Char(t);
    drawn_.units[SeriesHumidity] = QStringLiteral("%");
    drawn_.units[SeriesPressure] = QStringLiteral("mmHg");
    clearReadout();

    drawAlarm(data);
    layoutAxes();
    showRanges(true);
    chart_->replot();
}

void DataGraphPage::drawAlarm(const GraphData& data)
{
    // A level no instrument reading comes near is not drawn, as such values are not.
    constexpr double kLargest = 1e12;
    const TagAlarm& alarm = data.header.alarm;
    const bool shown = alarm.on && alarm.levelRead && std::fabs(alarm.level) <= kLargest &&
                       !data.values[SeriesData].isEmpty();
    alarmLine_->setVisible(shown);
    alarmLabel_->setVisible(shown);
    if (!shown) return;
    alarmLine_->point1->setCoords(0, alarm.level);
    alarmLine_->point2->setCoords(1, alarm.level);
    QString text = QStringLiteral("Alarm ") + QLocale().toString(alarm.level, 'f', 3);
    if (!drawn_.units[SeriesData].isEmpty()) text += QLatin1Char(' ') + drawn_.units[SeriesData];
    alarmLabel_->setText(text);
    alarmLabel_->position->setCoords(0.01, alarm.level);
}

QCPAxis* DataGraphPage::valueAxis(GraphSeries s) const
{
    return series_[s]->valueAxis();
}

void DataGraphPage::layoutAxes()
{
    QCPAxisRect* rect = chart_->axisRect();
    const bool separate = separateAxesAction_->isChecked();
    if (separate && !extraAxes_[0]) {
        extraAxes_[0] = rect->addAxis(QCPAxis::atLeft);
        extraAxes_[1] = rect->addAxis(QCPAxis::atRight);
        for (QCPAxis* a : extraAxes_)
            a->grid()->setVisible(false);
    }
    QCPAxis* const own[kSeriesCount] = {chart_->yAxis, chart_->yAxis2, extraAxes_[0],
                                        extraAxes_[1]};
    for (int s = 0; s < kSeriesCount; ++s)
        series_[s]->setValueAxis(separate ? own[s] : chart_->yAxis);
    if (!separate) {
        // Back to the one shared axis, as the chart is built.
        for (QCPAxis*& a : extraAxes_) {
            if (a) rect->removeAxis(a);
            a = nullptr;
        }
        chart_->yAxis->setLabel(QString());
        colourAxis(chart_->yAxis, Qt::black, Qt::black);
        chart_->yAxis2->setVisible(false);
        rect->setRangeZoomAxes(chart_->xAxis, chart_->yAxis);
        return;
    }
    // Each axis in its series' colour (the text darker, to be read on white),
    // shown while its series is; the left axis always, for the grid.
    QList<QCPAxis*> zoomed;
    for (int s = 0; s < kSeriesCount; ++s) {
        QCPAxis* a = own[s];
        a->setLabel(series_[s]->name());
        colourAxis(a, kSeries[s].colour, kSeries[s].colour.darker(150));
        a->setVisible(s == SeriesData || !drawn_.values[s].isEmpty());
        if (a->visible()) zoomed << a;
    }
    rect->setRangeZoomAxes({chart_->xAxis}, zoomed);
}

void DataGraphPage::showRanges(bool time)
{
    const bool separate = separateAxesAction_->isChecked();
    if (!drawn_.hasRanges) {
        for (QCPAxis* a : chart_->axisRect()->axes(QCPAxis::atLeft | QCPAxis::atRight))
            if (separate || a == chart_->yAxis) a->setRange(0, 1);
        return;
    }
    if (time) chart_->xAxis->setRange(drawn_.xLower, drawn_.xUpper);
    if (!separate) {
        chart_->yAxis->setRange(drawn_.sharedLower, drawn_.sharedUpper);
        return;
    }
    for (int s = 0; s < kSeriesCount; ++s) {
        if (drawn_.values[s].isEmpty()) continue;
        series_[s]->valueAxis()->setRange(drawn_.own[s].first, drawn_.own[s].second);
    }
}

void DataGraphPage::showWholeTag()
{
    showRanges(true);
    chart_->replot(QCustomPlot::rpQueuedReplot);
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

QSize DataGraphPage::outputSize() const
{
    return chart_->size().expandedTo(QSize(800, 500));
}

void DataGraphPage::printExposureSummary()
{
    if (!summaryPrinter_) summaryPrinter_ = std::make_unique<QPrinter>();
    summaryPrinter_->setDocName(QStringLiteral("Exposure summary"));
    if (dialogs_.print(*summaryPrinter_)) printReport(*summaryPrinter_);
}

void DataGraphPage::drawForReport()
{
    if (!stale_) return;
    draw(buildGraphData(text_.textBytes(), graphOptions(),
                        deviceNumberFromFileName(state_.CurrentFileName)));
}

QByteArray DataGraphPage::chartSvg() const
{
    const QSize size = outputSize();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(), size));
    svg.setTitle(title_->text());
    svg.setResolution(chart_->logicalDpiX());
    QCPPainter painter;
    if (!painter.begin(&svg)) return {};
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    chart_->toPainter(&painter, size.width(), size.height());
    painter.end();
    return bytes;
}

void DataGraphPage::printReport(QPrinter& printer)
{
    drawForReport();
    const QByteArray text = text_.textBytes();
    const ExposureReport report = exposureReport(text, exposure_->summaryOf(text),
                                                 exposure_->scope(), QDateTime::currentDateTime());
    // Laid out at the screen's resolution, as the chart's texts are.
    const int resolution = printer.resolution();
    printer.setResolution(chart_->logicalDpiY());
    paintExposureReport(printer, report, *chart_, outputSize());
    printer.setResolution(resolution);
}

void DataGraphPage::saveAsExecute(const SaveAs& what)
{
    FileDialogSetup setup;
    setup.title = what.title;
    // The tag's file name with the suffix, in the tag's folder.
    const QFileInfo tagFile(state_.CurrentFileName);
    const QString base = tagFile.completeBaseName();
    setup.fileName =
        (base.isEmpty() ? what.untitled : base + what.tagNameEnd) + QLatin1Char('.') + what.suffix;
    if (state_.CurrentFileName.contains(QLatin1Char('/'))) setup.directory = tagFile.path();
    setup.filters = what.filters;
    setup.defaultSuffix = what.suffix;
    QString path = dialogs_.saveFileName(setup);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + what.suffix;
    const QString error = what.save(path);
    if (!error.isEmpty())
        dialogs_.message(QStringLiteral("The %1 could not be saved as %2:\n%3\n"
                                        "Nothing was written; a file of that name is unchanged.")
                             .arg(what.thing, path, error));
}

void DataGraphPage::saveReportExecute()
{
    saveAsExecute(
        {QStringLiteral("Save report"),
         QStringLiteral("report"),
         QStringLiteral("report"),
         QStringLiteral("-report"),
         QStringLiteral("pdf"),
         {QStringLiteral("PDF document (*.pdf)"), QStringLiteral("HTML page (*.html *.htm)")},
         [this](const QString& path) { return saveReport(path); }});
}

QString DataGraphPage::saveReport(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool html = suffix == QLatin1String("html") || suffix == QLatin1String("htm");
    if (!html && suffix != QLatin1String("pdf"))
        return QStringLiteral(
            "A report is saved as a PDF document or an HTML page: the name must end in .pdf, "
            ".html or .htm.");
    drawForReport();
    const QByteArray text = text_.textBytes();
    const ExposureSummary summary = exposure_->summaryOf(text);
    if (!summary.error.isEmpty())
        return QStringLiteral("No exposure summary: %1").arg(summary.error);
    const ExposureReport report =
        exposureReport(text, summary, exposure_->scope(), QDateTime::currentDateTime());
    QByteArray bytes;
    if (html) {
        bytes = exposureReportHtml(report, chartSvg());
    } else {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setResolution(chart_->logicalDpiX());
        pdf.setCreator(QStringLiteral("Nesmo Port"));
        pdf.setTitle(report.title);
        pdf.setPageSize(reportPageSize(QLocale()));
        pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        if (!paintExposureReport(pdf, report, *chart_, outputSize()))
            return QStringLiteral("The report could not be drawn.");
    }
    return saveWholeFile(path, bytes);
}

void DataGraphPage::saveImageExecute()
{
    saveAsExecute({QStringLiteral("Save chart as image"),
                   QStringLiteral("chart"),
                   QStringLiteral("chart"),
                   QString(),
                   QStringLiteral("png"),
                   {QStringLiteral("PNG image (*.png)"), QStringLiteral("SVG drawing (*.svg)"),
                    QStringLiteral("PDF document (*.pdf)")},
                   [this](const QString& path) { return saveChartImage(path); }});
}

QString DataGraphPage::saveChartImage(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QSize size = outputSize();
    const QString title = title_->text();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Vector drawings are drawn as on a printer: no cached pictures of parts.
    const auto drawVector = [&](QPaintDevice* device) {
        QCPPainter painter;
        if (!painter.begin(device)) return false;
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        painter.setWindow(QRect(QPoint(), size));
        chart_->toPainter(&painter, size.width(), size.height());
        return painter.end();
    };
    bool drawn = false;
    if (suffix == QLatin1String("png")) {
        drawn = chart_->toPixmap(size.width(), size.height()).save(&buffer, "PNG");
    } else if (suffix == QLatin1String("svg")) {
        buffer.close();
        bytes = chartSvg();
        drawn = !bytes.isEmpty();
    } else if (suffix == QLatin1String("pdf")) {
        // One page the chart's size, a point a pixel; the chart's texts at the
        // screen's resolution, the one its layout is worked out with.
        QPdfWriter pdf(&buffer);
        pdf.setResolution(chart_->logicalDpiX());
        pdf.setCreator(QStringLiteral("Nesmo Port"));
        pdf.setTitle(title);
        pdf.setPageMargins(QMarginsF());
        pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        drawn = drawVector(&pdf);
    } else {
        return QStringLiteral(
            "A chart is saved as a PNG image, an SVG drawing or a PDF document: the name must end "
            "in .png, .svg or .pdf.");
    }
    buffer.close();
    if (!drawn || bytes.isEmpty()) return QStringLiteral("The chart could not be drawn.");
    return saveWholeFile(path, bytes);
}

}  // namespace nesmo
