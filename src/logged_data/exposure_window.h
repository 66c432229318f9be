#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <functional>
#include <optional>
#include <utility>

namespace nesmo {

// "Exposure summary": the figures of the tag on the Data text page as plain
// text, for the whole tag or for the range the chart shows, ready to copy.
class ExposureWindow final : public QDialog {
    Q_OBJECT

public:
    // The tag's text, and the chart's visible range in days since 30 December
    // 1899 (nothing when no chart is drawn).
    using TextSource = std::function<QByteArray()>;
    using RangeSource = std::function<std::optional<std::pair<double, double>>()>;

    ExposureWindow(TextSource text, RangeSource range, QWidget* parent = nullptr);

    QPlainTextEdit* ExposureText() const { return text_; }
    QCheckBox* VisibleRangeOnly() const { return visibleOnly_; }
    QPushButton* CopyButton() const { return copy_; }
    QPushButton* PrintButton() const { return print_; }

    // Works the figures out afresh and shows the window.
    void showSummary();
    void refresh();

signals:
    // "Print…": the summary as shown, headed by what it covers, to be printed
    // below the chart.
    void printRequested(const QString& summary);

private:
    TextSource source_;
    RangeSource range_;
    QPlainTextEdit* text_ = nullptr;
    QCheckBox* visibleOnly_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* print_ = nullptr;
};

}  // namespace nesmo
