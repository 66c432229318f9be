#pragma once

// Recording doubles for the fuzz targets: the window interface and the receive
// path's host. Everything they record is compared between two deliveries of the
// same bytes, so they keep values, not counts of calls that depend on how the
// bytes were split into notifications.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <map>
#include <utility>

#include "core/instrument_view.h"
#include "link/receive_path.h"

namespace nesmo::fuzz {

class RecordingView final : public InstrumentView {
public:
    void setText(Control c, const QString& t) override { texts[c] = t; }
    QString text(Control c) const override
    {
        const auto it = texts.find(c);
        return it == texts.end() ? QString() : it->second;
    }
    void setVisible(Control c, bool v) override { visible[c] = v; }
    void setEnabled(Control c, bool e) override { enabled[c] = e; }
    void setChecked(Control c, bool v) override { checked[c] = v; }
    bool isChecked(Control c) const override
    {
        const auto it = checked.find(c);
        return it != checked.end() && it->second;
    }
    void setCurrentIndex(Control c, int i) override { indexes[c] = i; }
    int currentIndex(Control c) const override
    {
        const auto it = indexes.find(c);
        return it == indexes.end() ? -1 : it->second;
    }
    int itemCount(Control c) const override
    {
        const auto it = items.find(c);
        return it == items.end() ? 0 : static_cast<int>(it->second.size());
    }
    QString item(Control c, int i) const override
    {
        const auto it = items.find(c);
        return it == items.end() || i < 0 || i >= it->second.size() ? QString() : it->second[i];
    }
    void setItem(Control c, int i, const QString& t) override
    {
        auto& list = items[c];
        if (i >= 0 && i < list.size()) list[i] = t;
    }
    void addItem(Control c, const QString& t) override { items[c] << t; }
    void clearItems(Control c) override { items[c].clear(); }
    void showAnalogRangeBox(int box) override { analogRangeBox = box; }
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
    }
    void stepDownloadProgress(QByteArrayView) override { ++progressPosition; }
    void hideDownloadProgress() override { progressShown = false; }
    void endReformatAnimation() override { ++reformatEnded; }
    void postMessage(const QString& t) override { messages << t; }

    bool operator==(const RecordingView& o) const
    {
        return texts == o.texts && visible == o.visible && enabled == o.enabled &&
               dataStatus == o.dataStatus && messages == o.messages && dataText == o.dataText &&
               dataTextSet == o.dataTextSet && dataTextCleared == o.dataTextCleared &&
               dataTextPageShown == o.dataTextPageShown && progressMaximum == o.progressMaximum &&
               progressPosition == o.progressPosition && progressShown == o.progressShown &&
               reformatEnded == o.reformatEnded && checked == o.checked && indexes == o.indexes &&
               items == o.items && analogRangeBox == o.analogRangeBox &&
               panelColour == o.panelColour;
    }

    std::map<Control, QString> texts;
    std::map<Control, bool> visible;
    std::map<Control, bool> enabled;
    std::map<Control, bool> checked;
    std::map<Control, int> indexes;
    std::map<Control, QStringList> items;
    int analogRangeBox = -1;
    QList<int> panelColour;
    std::map<int, QString> dataStatus;
    QStringList messages;
    QByteArray dataText;
    int dataTextSet = 0;
    int dataTextCleared = 0;
    int dataTextPageShown = 0;
    int progressMaximum = 0;
    int progressPosition = 0;
    bool progressShown = false;
    int reformatEnded = 0;
};

// The receive path's host. The reply timer and the watchdog are restarted once
// per notification at most, so their counts are not recorded.
class RecordingHost final : public ReceiveHost {
public:
    void restartReplyTimer() override {}
    void restartWatchdog() override {}
    void promptReceived() override { ++prompts; }
    void downloadEnded() override { ++downloadsEnded; }
    void terminalWrite(const char* data, qsizetype n) override { terminal.append(data, n); }
    bool terminalVisible() const override { return visible; }
    void setTerminalVisible(bool v) override
    {
        visible = v;
        visibilityChanges << v;
    }

    QByteArray terminal;
    bool visible = false;
    QList<bool> visibilityChanges;
    int prompts = 0;
    int downloadsEnded = 0;
};

}  // namespace nesmo::fuzz
