// The page's layout at the smallest window size and at a comfortable one. Set
// NESMO_SCREENSHOT_DIR to keep pictures of both.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QScrollArea>
#include <QScrollBar>

#include "config/page_rig.h"

namespace nesmo::test {
namespace {

void fill(PageRig& rig)
{
    rig.reply(
        "LOGPERIOD 60\r\nAUTOSTART 0 8 1 1 2025 OFF\r\nTAG 3 ON\r\nDISPLAYAVG 10\r\nUNITS 2\r\n"
        "ANALOGOUT 5\r\nFLOWRATE 1.70\r\nRHCORRECT ON\r\nBACKLIGHT ON\r\nALARM STEL 0.500\r\n"
        "INLET 1\r\nSITE 2 \"Grinding shop\" 0.95\r\nDATE 1 3 2025\r\nTIME 0 0 10\r\n"
        "V 141 SERIALNUMBER \"20871\"\r\nV 144 \"1.26\"\r\n");
    rig.page()->FormatTime();
    rig.page()->ChangeInletTypeExecute();
    rig.page()->RadioGroupAlarmClick();
}

// Where a control can be seen on the page: within the scrolled area for those
// that scroll.
QRect seen(QWidget* w, ConfigPage* page)
{
    const QRect r(w->mapTo(page, QPoint()), w->size());
    auto* scroll = page->findChild<QScrollArea*>("ConfigScrollArea");
    if (!scroll->viewport()->isAncestorOf(w)) return r;
    const QWidget* viewport = scroll->viewport();
    return r & QRect(viewport->mapTo(page, QPoint()), viewport->size());
}

// Every caption fits its control, and no two visible controls overlap.
void expectTidy(ConfigPage* page)
{
    const QList<QWidget*> all = page->findChildren<QWidget*>();
    QList<QWidget*> controls;
    for (QWidget* w : all) {
        if (!w->isVisibleTo(page) || w->objectName().isEmpty() ||
            w->objectName().startsWith(QLatin1String("qt_")) ||
            w->objectName().startsWith(QLatin1String("GroupBox")) ||
            w->objectName().startsWith(QLatin1String("Config")) || qobject_cast<QScrollBar*>(w))
            continue;
        controls << w;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            EXPECT_GE(b->width(), b->sizeHint().width()) << b->objectName().toStdString();
        }
        if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap()) {
            EXPECT_GE(l->width(), l->minimumSizeHint().width()) << l->objectName().toStdString();
        }
    }
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j) {
            QWidget* a = controls[i];
            QWidget* b = controls[j];
            if (a->isAncestorOf(b) || b->isAncestorOf(a)) continue;
            const QRect ra = seen(a, page);
            const QRect rb = seen(b, page);
            EXPECT_FALSE(ra.intersects(rb))
                << a->objectName().toStdString() << " overlaps " << b->objectName().toStdString();
        }
}

void keepPicture(QWidget* window, const char* name)
{
    const QByteArray dir = qgetenv("NESMO_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(dir));
    window->grab().save(QString::fromLocal8Bit(dir) + '/' + QString::fromLatin1(name));
}

TEST(ConfigLook, FitsTheSmallestWindowAndAComfortableOne)
{
    PageRig rig;
    rig.show();
    rig.window->ViewConfigExecute();
    fill(rig);

    rig.window->resize(600, 460);
    PageRig::settle();

    auto* scroll = rig.page()->findChild<QScrollArea*>("ConfigScrollArea");
    ASSERT_TRUE(scroll);
    // Only the height may need scrolling.
    EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(rig.page()->GetConfig()->isVisible());
    expectTidy(rig.page());
    keepPicture(rig.window.get(), "config-600x460.png");
    if (!qgetenv("NESMO_SCREENSHOT_DIR").isEmpty()) {
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
        PageRig::settle();
        keepPicture(rig.window.get(), "config-600x460-scrolled.png");
        scroll->verticalScrollBar()->setValue(0);
    }

    rig.window->resize(900, 700);
    PageRig::settle();
    EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
    expectTidy(rig.page());
    keepPicture(rig.window.get(), "config-900x700.png");
}

}  // namespace
}  // namespace nesmo::test
