#pragma once

#include <QPlainTextEdit>
#include <QWidget>

namespace nesmo {

// The "Site List" page: the instrument's list of measurement sites as text.
class SiteListPage final : public QWidget {
    Q_OBJECT

public:
    explicit SiteListPage(QWidget* parent = nullptr);
    QPlainTextEdit* SiteList() const { return siteList_; }

private:
    QPlainTextEdit* siteList_ = nullptr;
};

}  // namespace nesmo
