#include "maintenance/site_list_page.h"

#include <QVBoxLayout>

#include "shell/accessible.h"

namespace nesmo {

SiteListPage::SiteListPage(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    siteList_ = name(new QPlainTextEdit, "SiteList", QStringLiteral("Site list"));
    QFont mono(QStringLiteral("Courier New"), 10);
    mono.setStyleHint(QFont::TypeWriter);
    siteList_->setFont(mono);
    layout->addWidget(siteList_);
}

}  // namespace nesmo
