#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <optional>

#include "core/dialogs.h"
#include "core/instrument_view.h"

namespace nesmo {

class ConfigPage;
class DataTextPage;
class MainPage;
class MainWindow;
class PanelWindow;

// The windows as the link and the reply interpreter see them. Status and
// progress updates during a download are applied once per event-loop pass, and
// messages are shown after the handler that raised them has returned.
class WindowView final : public QObject, public InstrumentView {
    Q_OBJECT

public:
    explicit WindowView(Dialogs& dialogs, QObject* parent = nullptr);

    void attach(MainWindow* window, MainPage* mainPage, DataTextPage* dataText, ConfigPage* config,
                PanelWindow* panel);

    void setText(Control c, const QString& text) override;
    QString text(Control c) const override;
    void setVisible(Control c, bool visible) override;
    void setEnabled(Control c, bool enabled) override;
    void setChecked(Control c, bool checked) override;
    bool isChecked(Control c) const override;
    void setCurrentIndex(Control c, int index) override;
    int currentIndex(Control c) const override;
    bool isShown(Control c) const override;
    int itemCount(Control c) const override;
    QString item(Control c, int index) const override;
    void setItem(Control c, int index, const QString& text) override;
    void addItem(Control c, const QString& text) override;
    void clearItems(Control c) override;
    void showAnalogRangeBox(int units) override;
    void setPanelDisplayColour(int red, int green, int blue) override;

    void clearDataText() override;
    void showDataTextPage() override;
    void setDataText(const QByteArray& text) override;
    void setDataStatus(int panel, const QString& text) override;
    void setRecordsLeft(int records) override;
    void startDownloadProgress(int maximum) override;
    void stepDownloadProgress(QByteArrayView line) override;
    void hideDownloadProgress() override;
    void endReformatAnimation() override;
    void reformatRefused() override;
    void postMessage(const QString& text) override;

    // Applies the pending status and progress updates now.
    void flushUpdates();
    // Shows the queued messages now.
    void showPendingMessages();

private:
    QWidget* widget(Control c) const;
    // The configuration controls and the lists, found by their names once.
    QWidget* named(Control c) const;
    void scheduleFlush();

    Dialogs& dialogs_;
    MainWindow* window_ = nullptr;
    MainPage* mainPage_ = nullptr;
    DataTextPage* dataText_ = nullptr;
    ConfigPage* config_ = nullptr;
    PanelWindow* panel_ = nullptr;
    mutable QHash<int, QPointer<QWidget>> named_;

    std::optional<QString> pendingStatus_[2];
    std::optional<int> pendingRecordsLeft_;  // shown in panel 1, formatted when shown
    std::optional<int> pendingProgress_;
    int progressValue_ = 0;
    bool flushScheduled_ = false;
    static constexpr qint64 kFlushIntervalMs = 50;
    QElapsedTimer lastFlush_;  // since the status and progress were last shown
    QStringList messages_;
    bool messagesScheduled_ = false;
};

}  // namespace nesmo
