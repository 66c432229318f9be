#pragma once

#include <QAction>
#include <QLabel>
#include <QPointF>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "core/app_state.h"
#include "core/dialogs.h"
#include "files/graph_data.h"
#include "link/link.h"

class QCustomPlot;
class QCPAxis;
class QCPGraph;
class QCPItemStraightLine;
class QCPItemText;
class QCPLayer;
class QCPTextElement;
class QPrinter;

namespace nesmo {

class DataTextPage;
class ExposureWindow;

// The "Data graph" page: the Data text page's text as a time chart of
// concentration, temperature, humidity and pressure, with the six graph options.
class DataGraphPage final : public QWidget {
    Q_OBJECT

public:
    DataGraphPage(AppState& state, Link& link, Dialogs& dialogs, DataTextPage& text,
                  QWidget* parent = nullptr);
    ~DataGraphPage() override;

    QCustomPlot* Chart2() const { return chart_; }
    QToolBar* ToolBar1() const { return toolBar_; }
    QStatusBar* StatusBarGraph() const { return statusBar_; }
    QToolButton* toolButton(const char* objectName) const;
    // Series7 to Series10: concentration, temperature, humidity, pressure.
    QCPGraph* series(GraphSeries s) const { return series_[s]; }
    QCPTextElement* title() const { return title_; }

    // The options of the Graph menu, in menu order: Data1, Temp1, Humidity1,
    // Diameter1, Markers, StepGraph1.
    QList<QAction*> optionActions() const;
    // Graph > "Exposure summary" and its tool button.
    QAction* exposureAction() const { return exposureAction_; }
    ExposureWindow* exposureWindow() const { return exposure_; }
    // The chart's time axis as it is shown (zoomed or not), in days since 30
    // December 1899; nothing before a chart is drawn.
    std::optional<std::pair<double, double>> visibleRange() const;

    // Graph > "One axis per series" (off: all series share the left axis).
    QAction* separateAxesAction() const { return separateAxesAction_; }
    // Graph > "Save chart as image…" and its tool button.
    QAction* saveImageAction() const { return saveImageAction_; }
    // The axis a series is drawn against.
    QCPAxis* valueAxis(GraphSeries s) const;

    // The status bar's read-out of the record under the mouse; empty while the
    // mouse is not over the chart.
    QLabel* readout() const { return readout_; }
    QCPItemStraightLine* tracer() const { return tracer_; }
    // The dashed line at the tag's alarm level and its label; hidden while the
    // alarm is off, its level unreadable or the concentration not shown.
    QCPItemStraightLine* alarmLine() const { return alarmLine_; }
    QCPItemText* alarmLabel() const { return alarmLabel_; }

    // Back to the time range and value axes of the last drawing, without
    // reading the text again (double-click on the chart, the "Whole tag" button).
    void showWholeTag();
    // Writes the chart as PNG, SVG or PDF by the name's suffix; the reason of a
    // failure, empty on success.
    QString saveChartImage(const QString& path);

    // Tells whether this page is the active page of the main window.
    void setActiveCheck(std::function<bool()> isActive) { isActive_ = std::move(isActive); }

    void Tab3Show();
    // The chart no longer shows the Data text page's text: the next showing draws
    // it anew (a download has ended, a file was opened, the series changed).
    void markStale() { stale_ = true; }
    bool isStale() const { return stale_; }
    void ChangeGraphSeries();
    void GraphDataExecute() { options_[0]->trigger(); }
    void GraphTempExecute() { options_[1]->trigger(); }
    void GraphHumidityExecute() { options_[2]->trigger(); }
    void GraphDiameterExecute() { options_[3]->trigger(); }
    void GraphMarkersExecute() { options_[4]->trigger(); }
    void GraphStepExecute() { options_[5]->trigger(); }

    // The chart on one page of the printer, in landscape; the printer's
    // orientation is restored afterwards.
    void printChart(QPrinter& printer);
    // A picture of the chart at its size on the screen.
    QPixmap chartPicture() const;

    // File > "Save report…" and the summary window's button: asks for a name.
    void saveReportExecute();
    // The exposure report of the text as the summary window takes it (whole tag
    // or visible range) as a PDF, or as HTML for a name ending in .html or .htm.
    // Returns the reason of a failure; empty on success.
    QString saveReport(const QString& path);
    // The same report on the printer.
    void printReport(QPrinter& printer);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildChart();
    void buildOptions();
    void optionToggled();
    void updateOptionImages();
    GraphOptions graphOptions() const;
    void draw(const GraphData& data);
    void drawAlarm(const GraphData& data);
    void layoutAxes();
    // The ranges of the last drawing on the axes as they are laid out; the time
    // axis too when `time` is set.
    void showRanges(bool time);
    void showReadout(const QPointF& at);
    void clearReadout();
    void saveImageExecute();
    // A save dialog proposing the tag's name with `suffix` in the tag's folder,
    // then `save`; a failure is told as "The <thing> could not be saved as …".
    struct SaveAs {
        QString title, thing, untitled, tagNameEnd, suffix;
        QStringList filters;
        std::function<QString(const QString&)> save;
    };
    void saveAsExecute(const SaveAs& what);
    void printExposureSummary();
    QSize outputSize() const;
    // The chart drawn afresh from the text for a report when the page has not
    // drawn it since the text changed; the page still draws it when shown.
    void drawForReport();
    QByteArray chartSvg() const;

    AppState& state_;
    Link& link_;
    Dialogs& dialogs_;
    DataTextPage& text_;
    std::function<bool()> isActive_;
    bool stale_ = false;
    QToolBar* toolBar_ = nullptr;
    QAction* exposureAction_ = nullptr;
    ExposureWindow* exposure_ = nullptr;
    // How much later than the file's stamps the drawn record times are.
    int drawingDelaySeconds_ = 0;
    QCustomPlot* chart_ = nullptr;
    QCPTextElement* title_ = nullptr;
    QCPGraph* series_[kSeriesCount] = {};
    QStatusBar* statusBar_ = nullptr;
    QAction* options_[6] = {};
    QToolButton* optionButtons_[6] = {};
    QAction* separateAxesAction_ = nullptr;
    QAction* saveImageAction_ = nullptr;
    // The axes of humidity and pressure while each series has its own.
    QCPAxis* extraAxes_[2] = {};
    QLabel* readout_ = nullptr;
    QCPLayer* readoutLayer_ = nullptr;
    QCPItemStraightLine* tracer_ = nullptr;
    QCPItemStraightLine* alarmLine_ = nullptr;
    QCPItemText* alarmLabel_ = nullptr;

    // What the last drawing showed: the record times (axis keys), the values and
    // units of each shown series, and the ranges that put all of it in view.
    struct Drawn {
        QList<double> keys;
        std::array<QList<double>, kSeriesCount> values;
        std::array<QString, kSeriesCount> units;
        bool hasRanges = false;
        double xLower = 0, xUpper = 1;
        double sharedLower = 0, sharedUpper = 1;
        std::array<std::pair<double, double>, kSeriesCount> own{};
    };
    Drawn drawn_;
    // The printer of the exposure summary, kept for the operator's choices.
    std::unique_ptr<QPrinter> summaryPrinter_;

    // Panning with the right mouse button.
    bool panning_ = false;
    QPointF panFrom_;
};

}  // namespace nesmo
