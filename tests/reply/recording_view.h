#pragma once

// Recording doubles of the window interface and the download capture, for tests
// of the reply interpreter and of anything else that writes through them.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>

#include "core/app_state.h"
#include "core/instrument_view.h"
#include "reply/download_control.h"

namespace nesmo::test {

// Remembers the last text, visibility and enabled state written to each control,
// the Data text page's status panels, the progress bar calls and the messages in
// the order they were posted.
class RecordingView : public InstrumentView {
public:
    void setText(Control c, const QString& t) override { texts[c] = t; }
    QString text(Control c) const override
    {
        const auto it = texts.find(c);
        return it == texts.end() ? QString() : it->second;
    }
    void setVisible(Control c, bool v) override { visible[c] = v; }
    void setEnabled(Control c, bool e) override { enabled[c] = e; }

    void setChecked(Control c, bool on) override { checked[c] = on; }
    bool isChecked(Control c) const override
    {
        const auto it = checked.find(c);
        return it != checked.end() && it->second;
    }
    void setCurrentIndex(Control c, int i) override { indices[c] = i; }
    int currentIndex(Control c) const override
    {
        const auto it = indices.find(c);
        return it == indices.end() ? -1 : it->second;
    }
    bool isShown(Control c) const override { return isVisible(c).value_or(false); }
    int itemCount(Control c) const override { return int(itemsOf(c).size()); }
    QString item(Control c, int i) const override { return itemsOf(c).value(i); }
    void setItem(Control c, int i, const QString& t) override
    {
        QStringList& list = items[c];
        if (i >= 0 && i < list.size()) list[i] = t;
    }
    void addItem(Control c, const QString& t) override { items[c] << t; }
    void clearItems(Control c) override { items[c].clear(); }
    void showAnalogRangeBox(int units) override { analogRangeUnits << units; }
    void setPanelDisplayColour(int r, int g, int b) override { panelColour = {r, g, b}; }

    void clearDataText() override { ++dataTextCleared; }
    void showDataTextPage() override { ++dataTextPageShown; }
    void setDataText(const QByteArray& t) override
    {
        dataText = t;
        ++dataTextSet;
    }
    void setDataStatus(int panel, const QString& t) override { dataStatus[panel] = t; }
    void startDownloadProgress(int maximum) override
    {
        progressMaximum = maximum;
        progressPosition = 0;
        progressShown = true;
        ++progressStarts;
    }
    void stepDownloadProgress(QByteArrayView) override { ++progressPosition; }
    void hideDownloadProgress() override { progressShown = false; }
    void endReformatAnimation() override { ++reformatEnded; }
    void reformatRefused() override { ++reformatRefusals; }
    void postMessage(const QString& t) override { messages << t; }

    // Unset when the control was never written.
    std::optional<bool> isVisible(Control c) const { return lookup(visible, c); }
    std::optional<bool> isEnabled(Control c) const { return lookup(enabled, c); }
    bool hasText(Control c) const { return texts.count(c) != 0; }

    std::map<Control, QString> texts;
    std::map<Control, bool> visible;
    std::map<Control, bool> enabled;
    std::map<Control, bool> checked;
    std::map<Control, int> indices;
    std::map<Control, QStringList> items;  // list items and text lines
    QList<int> analogRangeUnits;           // every showAnalogRangeBox call
    QList<int> panelColour;                // red, green, blue
    std::map<int, QString> dataStatus;     // StatusBar1 panels by index
    QStringList messages;
    QByteArray dataText;  // the last text the Data text page was given
    int dataTextSet = 0;
    int dataTextCleared = 0;
    int dataTextPageShown = 0;
    int progressStarts = 0;
    int progressMaximum = 0;
    int progressPosition = 0;
    bool progressShown = false;
    int reformatEnded = 0;
    int reformatRefusals = 0;

private:
    QStringList itemsOf(Control c) const
    {
        const auto it = items.find(c);
        return it == items.end() ? QStringList() : it->second;
    }
    static std::optional<bool> lookup(const std::map<Control, bool>& m, Control c)
    {
        const auto it = m.find(c);
        if (it == m.end()) return std::nullopt;
        return it->second;
    }
};

// Counts capture starts and ends and, given the state, sets and clears
// Downloading as the receive path does.
class RecordingDownload : public DownloadControl {
public:
    explicit RecordingDownload(AppState* state = nullptr) : state_(state) {}

    void startCapture() override
    {
        ++starts;
        if (state_) state_->Downloading = true;
    }
    void EndDownload() override
    {
        ++ends;
        if (state_) state_->Downloading = false;
    }

    int starts = 0;
    int ends = 0;

private:
    AppState* state_;
};

}  // namespace nesmo::test
