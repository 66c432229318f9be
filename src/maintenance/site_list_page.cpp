#include "maintenance/site_list_page.h"

#include <QVBoxLayout>

#include "widgets/control_names.h"

namespace nesmo {

SiteListPage::SiteListPage(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    siteList_ = nameField(new QPlainTextEdit, "SiteList", QStringLiteral("Site list"));
    QFont mono(QStringLiteral("Courier New"), 10);
    mono.setStyleHint(QFont::TypeWriter);
    siteList_->setFont(mono);
    layout->addWidget(siteList_);
}

}  // namespace nesmo
