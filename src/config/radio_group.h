#pragma once

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QStringList>

namespace nesmo {

// A titled group of radio buttons with one selected item (or none). It reports
// every real change of the selection, made by the operator or by the program;
// selecting the item already selected is no change.
class RadioGroup final : public QGroupBox {
    Q_OBJECT

public:
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    int count() const { return int(buttons_.size()); }
    QRadioButton* button(int index) const { return buttons_.value(index); }
    // The selected item, -1 for none.
    int itemIndex() const;
    // Selects an item; an index that is no item selects none.
    void setItemIndex(int index);
    // Puts a widget on the line of an item, to the right of its button.
    void setBeside(int index, QWidget* widget);

signals:
    void changed(int index);

private:
    QButtonGroup* group_ = nullptr;
    QGridLayout* layout_ = nullptr;
    QList<QRadioButton*> buttons_;
};

}  // namespace nesmo
