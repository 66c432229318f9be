#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <functional>
#include <optional>
#include <utility>

#include "files/exposure.h"

class QGridLayout;

namespace nesmo {

// "Exposure summary": the figures of the tag on the Data text page, for the
// whole tag or for the range the chart shows. The headline figures come first,
// then the series statistics as a table, then the notes on how the figures
// were taken. It follows the text and, for the visible range, the zoom.
class ExposureWindow final : public QDialog {
    Q_OBJECT

public:
    // The tag's text, and the chart's visible range in the file's record times
    // (days since 30 December 1899; nothing when no chart is drawn).
    using TextSource = std::function<QByteArray()>;
    using RangeSource = std::function<std::optional<std::pair<double, double>>()>;

    ExposureWindow(TextSource text, RangeSource range, QWidget* parent = nullptr);

    QCheckBox* VisibleRangeOnly() const { return visibleOnly_; }
    QPushButton* CopyButton() const { return copy_; }
    QPushButton* PrintButton() const { return print_; }
    QPushButton* ReportButton() const { return report_; }
    QTableWidget* SeriesTable() const { return table_; }
    // A tag longer than 24 hours: the 8-hour TWA of each calendar day.
    QTableWidget* DailyTable() const { return daily_; }
    // The headline figures as shown: one row of name, value and detail labels each.
    QList<QLabel*> headlineLabels() const { return headlineLabels_; }
    QLabel* NotesLabel() const { return notes_; }

    // The figures shown, and what they cover ("Exposure summary of the whole tag").
    const ExposureSummary& summary() const { return summary_; }
    QString scope() const;
    // The figures of a text as this window takes them: whole tag or visible range.
    ExposureSummary summaryOf(const QByteArray& text) const;
    // What "Copy" puts on the clipboard.
    QString plainText() const;

    // Works the figures out afresh and shows the window.
    void showSummary();
    void refresh();
    // Refreshes soon, once for a burst of changes, while the window is shown.
    void scheduleRefresh();

signals:
    // "Print…": the chart, the tag's header and these figures, to be printed.
    void printRequested();
    // "Save report…".
    void reportRequested();

private:
    void showFigures();

    TextSource source_;
    RangeSource range_;
    ExposureSummary summary_;
    QTimer refreshTimer_;
    QLabel* scope_ = nullptr;
    QWidget* headline_ = nullptr;
    QGridLayout* headlineGrid_ = nullptr;
    QList<QLabel*> headlineLabels_;
    QLabel* facts_ = nullptr;
    QTableWidget* table_ = nullptr;
    QTableWidget* daily_ = nullptr;
    QLabel* notes_ = nullptr;
    QCheckBox* visibleOnly_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* report_ = nullptr;
};

}  // namespace nesmo
