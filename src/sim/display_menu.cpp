#include "sim/display_menu.h"

#include <algorithm>
#include <iterator>

#include "sim/command_text.h"
#include "sim/tag_store.h"

namespace nesmo::sim {

namespace {

enum MenuItem {
    ItemRun,
    ItemLogPeriod,
    ItemTag,
    ItemLogging,
    ItemSite,
    ItemBacklight,
    ItemClock,
    ItemAbout,
    ItemCount
};

const int kPeriods[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600};

QByteArray fit(QByteArray text)
{
    text.truncate(DisplayMenu::kWidth);
    return text.leftJustified(DisplayMenu::kWidth, ' ');
}

QByteArray itemText(int item, bool running)
{
    switch (item) {
        case ItemRun: return running ? "Stop run" : "Start run";
        case ItemLogPeriod: return "Log period";
        case ItemTag: return "Tag number";
        case ItemLogging: return "Data logging";
        case ItemSite: return "Site";
        case ItemBacklight: return "Backlight";
        case ItemClock: return "Clock";
        default: return "About";
    }
}

int nextPeriod(int current, bool up)
{
    if (up) {
        for (int p : kPeriods)
            if (p > current) return p;
        return kPeriods[std::size(kPeriods) - 1];
    }
    for (auto it = std::rbegin(kPeriods); it != std::rend(kPeriods); ++it)
        if (*it < current) return *it;
    return kPeriods[0];
}

QByteArray onOff(bool on)
{
    return on ? "ON" : "OFF";
}

QByteArray reading(double value, int units)
{
    switch (units) {
        case 0: return formatted("%7.0f ug/m3", value);
        case 1: return formatted("%7.1f /Mm", value);
        case 3: return formatted("%7.1f km", value);
        default: return formatted("%7.3f mg/m3", value);
    }
}

}  // namespace

DisplayMenu::Action DisplayMenu::press(Key key, Settings& s, bool running)
{
    if (key == Key::OnOff) {
        m_screen = Screen::Home;
        return running ? Action::StopRun : Action::StartRun;
    }
    switch (m_screen) {
        case Screen::Home:
            if (key == Key::Esc && running) m_screen = Screen::StopConfirm;
            if (key == Key::Enter && !running) {
                m_screen = Screen::Menu;
                m_cursor = ItemRun;
            }
            return Action::None;
        case Screen::StopConfirm:
            if (key == Key::Enter) {
                m_screen = Screen::Home;
                return running ? Action::StopRun : Action::None;
            }
            if (key == Key::Esc) m_screen = Screen::Home;
            return Action::None;
        case Screen::Menu: return pressMenu(key, s, running);
        case Screen::ShowClock:
        case Screen::ShowAbout:
            if (key == Key::Enter || key == Key::Esc) m_screen = Screen::Menu;
            return Action::None;
        default: pressEdit(key, s); return Action::None;
    }
}

DisplayMenu::Action DisplayMenu::pressMenu(Key key, Settings& s, bool running)
{
    switch (key) {
        case Key::Up: m_cursor = (m_cursor + ItemCount - 1) % ItemCount; break;
        case Key::Down: m_cursor = (m_cursor + 1) % ItemCount; break;
        case Key::Esc: m_screen = Screen::Home; break;
        case Key::Enter:
            switch (m_cursor) {
                case ItemRun:
                    m_screen = Screen::Home;
                    return running ? Action::StopRun : Action::StartRun;
                case ItemLogPeriod:
                    m_screen = Screen::EditLogPeriod;
                    m_edit = s.logPeriod;
                    break;
                case ItemTag:
                    m_screen = Screen::EditTag;
                    m_edit = s.tag;
                    break;
                case ItemLogging:
                    m_screen = Screen::EditLogging;
                    m_edit = s.logging;
                    break;
                case ItemSite:
                    m_screen = Screen::EditSite;
                    m_edit = s.site;
                    break;
                case ItemBacklight:
                    m_screen = Screen::EditBacklight;
                    m_edit = s.backlight;
                    break;
                case ItemClock: m_screen = Screen::ShowClock; break;
                default: m_screen = Screen::ShowAbout; break;
            }
            break;
        default: break;
    }
    return Action::None;
}

void DisplayMenu::pressEdit(Key key, Settings& s)
{
    if (key == Key::Esc) {
        m_screen = Screen::Menu;
        return;
    }
    const bool up = key == Key::Up;
    if (key == Key::Up || key == Key::Down) {
        switch (m_screen) {
            case Screen::EditLogPeriod: m_edit = nextPeriod(m_edit, up); break;
            case Screen::EditTag: m_edit = (m_edit + (up ? 1 : 99)) % 100; break;
            case Screen::EditSite:
                m_edit = (m_edit - 1 + (up ? 1 : Settings::kSites - 1)) % Settings::kSites + 1;
                break;
            default: m_edit = !m_edit; break;
        }
        return;
    }
    if (key != Key::Enter) return;
    switch (m_screen) {
        case Screen::EditLogPeriod: s.logPeriod = m_edit; break;
        case Screen::EditTag: s.tag = m_edit; break;
        case Screen::EditLogging: s.logging = m_edit != 0; break;
        case Screen::EditSite: s.site = m_edit; break;
        case Screen::EditBacklight: s.backlight = m_edit != 0; break;
        default: break;
    }
    m_screen = Screen::Menu;
}

std::pair<QByteArray, QByteArray> DisplayMenu::lines(const Settings& s,
                                                     const DisplayContext& c) const
{
    const QByteArray clock = c.now.time().toString("hh:mm:ss").toLatin1();
    switch (m_screen) {
        case Screen::Home: {
            QByteArray state = "STBY    ";
            if (c.running) state = s.logging ? formatted("RUN T%02d ", s.tag) : "RUN     ";
            return {fit(reading(c.dust, s.units)), fit(state + clock)};
        }
        case Screen::StopConfirm: return {fit("Stop run?"), fit("ENTER=yes ESC=no")};
        case Screen::Menu:
            return {fit("> " + itemText(m_cursor, c.running)),
                    fit("  " + itemText((m_cursor + 1) % ItemCount, c.running))};
        case Screen::EditLogPeriod: return {fit("Log period"), fit("  " + clockText(m_edit))};
        case Screen::EditTag: return {fit("Tag number"), fit(formatted("  %02d", m_edit))};
        case Screen::EditLogging: return {fit("Data logging"), fit("  " + onOff(m_edit))};
        case Screen::EditSite:
            return {fit(formatted("Site %02d", m_edit)), fit(s.sites[size_t(m_edit - 1)].name)};
        case Screen::EditBacklight: return {fit("Backlight"), fit("  " + onOff(m_edit))};
        case Screen::ShowClock: return {fit(dateText(c.now.date())), fit(clock)};
        case Screen::ShowAbout: return {fit("Nesmo-7 v" + c.firmware), fit("S/N " + c.serial)};
    }
    return {fit({}), fit({})};
}

}  // namespace nesmo::sim
