#pragma once

#include <QMap>
#include <QStringList>
#include <functional>
#include <utility>

#include "core/instrument_view.h"

namespace nesmo {

namespace cli {

// The window interface without windows: the reply interpreter writes into named
// controls, and the tool reads back the few it reports (serial number, firmware,
// clock, tag list). A dump is counted as it is captured; its text is the
// capture's.
class CliView : public InstrumentView {
public:
    void setText(Control c, const QString& text) override { texts_[c] = text; }
    QString text(Control c) const override { return texts_.value(c); }
    void setVisible(Control, bool) override {}
    void setEnabled(Control, bool) override {}
    void setChecked(Control c, bool on) override { checked_[c] = on; }
    bool isChecked(Control c) const override { return checked_.value(c, false); }
    void setCurrentIndex(Control c, int index) override { indexes_[c] = index; }
    int currentIndex(Control c) const override { return indexes_.value(c, -1); }
    int itemCount(Control c) const override { return int(items_.value(c).size()); }
    QString item(Control c, int i) const override { return items_.value(c).value(i); }
    void setItem(Control c, int i, const QString& text) override;
    void addItem(Control c, const QString& text) override { items_[c].append(text); }
    void clearItems(Control c) override { items_.remove(c); }

    void clearDataText() override;
    void showDataTextPage() override {}
    void setDataText(const QByteArray& text) override;
    void setDataStatus(int, const QString&) override {}
    void setRecordsLeft(int) override {}
    void startDownloadProgress(int) override { records_ = 0; }
    void stepDownloadProgress(QByteArrayView line) override;
    void hideDownloadProgress() override {}
    void endReformatAnimation() override {}
    void postMessage(const QString& text) override { messages_.append(text); }

    // Called for every record line of a running download with the count so far.
    void onRecord(std::function<void(int)> f) { onRecord_ = std::move(f); }

    // Whether a dump has ended since clearDataText(), and its record lines so far.
    bool dataTextSet() const { return dataTextSet_; }
    int recordLines() const { return records_; }
    QStringList takeMessages() { return std::exchange(messages_, {}); }

private:
    QMap<Control, QString> texts_;
    QMap<Control, int> indexes_;
    QMap<Control, bool> checked_;
    QMap<Control, QStringList> items_;
    QStringList messages_;
    bool dataTextSet_ = false;
    std::function<void(int)> onRecord_;
    int records_ = 0;
};

// A captured line that holds a record: after the device number is gone, blanks
// and then the record number.
bool isRecordLine(QByteArrayView line);

}  // namespace cli
}  // namespace nesmo
