#include "config/radio_group.h"

namespace nesmo {

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)), layout_(new QGridLayout(this))
{
    // Qt reads a group box inside another by the outer box's title; this one is
    // read by its own (its title never changes).
    if (!title.isEmpty()) setAccessibleName(QString(title).remove(QLatin1Char('&')));
    layout_->setContentsMargins(6, 4, 6, 4);
    layout_->setVerticalSpacing(2);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i]);
        group_->addButton(b, i);
        layout_->addWidget(b, i, 0);
        buttons_ << b;
    }
    layout_->setColumnStretch(2, 1);
    connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) emit changed(id);
    });
}

int RadioGroup::itemIndex() const
{
    return group_->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (index == itemIndex()) return;
    if (QRadioButton* b = button(index)) {
        b->setChecked(true);
        return;
    }
    // No item: an exclusive group cannot uncheck its last button by itself.
    group_->setExclusive(false);
    for (QRadioButton* b : std::as_const(buttons_))
        b->setChecked(false);
    group_->setExclusive(true);
    emit changed(-1);
}

void RadioGroup::setBeside(int index, QWidget* widget)
{
    layout_->addWidget(widget, index, 1);
}

}  // namespace nesmo
