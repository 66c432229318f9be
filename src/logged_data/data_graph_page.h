#pragma once

#include <QAction>
#include <QPointF>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <optional>
#include <utility>

#include "core/app_state.h"
#include "core/dialogs.h"
#include "link/link.h"
#include "logged_data/graph_data.h"

class QCustomPlot;
class QCPGraph;
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

    // Tells whether this page is the active page of the main window.
    void setActiveCheck(std::function<bool()> isActive) { isActive_ = std::move(isActive); }

    void Tab3Show();
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildChart();
    void buildOptions();
    void optionToggled();
    void updateOptionImages();
    GraphOptions graphOptions() const;
    void draw(const GraphData& data);

    AppState& state_;
    Link& link_;
    Dialogs& dialogs_;
    DataTextPage& text_;
    std::function<bool()> isActive_;
    QToolBar* toolBar_ = nullptr;
    QAction* exposureAction_ = nullptr;
    ExposureWindow* exposure_ = nullptr;
    QCustomPlot* chart_ = nullptr;
    QCPTextElement* title_ = nullptr;
    QCPGraph* series_[kSeriesCount] = {};
    QStatusBar* statusBar_ = nullptr;
    QAction* options_[6] = {};
    QToolButton* optionButtons_[6] = {};
    // Panning with the right mouse button.
    bool panning_ = false;
    QPointF panFrom_;
};

}  // namespace nesmo
