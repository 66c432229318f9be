#include "logged_data/exposure_window.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "logged_data/exposure.h"
#include "widgets/control_names.h"

namespace nesmo {

ExposureWindow::ExposureWindow(TextSource text, RangeSource range, QWidget* parent)
    : QDialog(parent), source_(std::move(text)), range_(std::move(range))
{
    setObjectName(QStringLiteral("ExposureWindow"));
    setWindowTitle(QStringLiteral("Exposure summary"));
    auto* layout = new QVBoxLayout(this);
    text_ = nameField(new QPlainTextEdit, "ExposureText", QStringLiteral("Exposure summary"));
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont mono(QStringLiteral("Courier New"), 10);
    mono.setStyleHint(QFont::TypeWriter);
    text_->setFont(mono);
    layout->addWidget(text_, 1);

    auto* row = new QHBoxLayout;
    visibleOnly_ = nameControl(new QCheckBox(QStringLiteral("&Visible range only")),
                               "ExposureVisibleRangeOnly");
    visibleOnly_->setToolTip(QStringLiteral("Summarise the records the chart shows"));
    row->addWidget(visibleOnly_);
    row->addStretch(1);
    copy_ = nameControl(new QPushButton(QStringLiteral("&Copy")), "ExposureCopy");
    print_ = nameControl(new QPushButton(QStringLiteral("&Print\u2026")), "ExposurePrint");
    print_->setToolTip(QStringLiteral("Print the chart with this summary below it"));
    // Enter copies, as it did before there was a Print button.
    print_->setAutoDefault(false);
    auto* close = nameControl(new QPushButton(QStringLiteral("Close")), "ExposureClose");
    row->addWidget(copy_);
    row->addWidget(print_);
    row->addWidget(close);
    layout->addLayout(row);
    resize(760, 440);

    connect(visibleOnly_, &QCheckBox::toggled, this, &ExposureWindow::refresh);
    connect(copy_, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(text_->toPlainText()); });
    connect(print_, &QPushButton::clicked, this, [this] {
        const QString heading = visibleOnly_->isChecked()
                                    ? QStringLiteral("Exposure summary of the visible range")
                                    : QStringLiteral("Exposure summary of the whole tag");
        emit printRequested(heading + QStringLiteral("\n\n") + text_->toPlainText());
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

void ExposureWindow::showSummary()
{
    refresh();
    show();
    raise();
    activateWindow();
}

void ExposureWindow::refresh()
{
    const QByteArray tag = source_ ? source_() : QByteArray();
    const std::optional<std::pair<double, double>> range =
        visibleOnly_->isChecked() && range_ ? range_() : std::nullopt;
    const ExposureSummary summary =
        range ? summarizeExposure(tag, range->first, range->second) : summarizeExposure(tag);
    text_->setPlainText(exposureSummaryText(summary));
}

}  // namespace nesmo
